// random.cpp -- never the C library's rand: its sequence differs between platforms
#include "world/random.h"

namespace {
uint32_t randomState = 1;
}

namespace demo {

int rand()
{
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int>((randomState >> 16) & 32767u);
}

void resetRandom() { randomState = 1; }

}  // namespace demo

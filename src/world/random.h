// random.h -- the show's one random sequence, identical in every run
#pragma once
#include <cstdint>

namespace demo {

// Returns 0..32767 from the linear congruential sequence that starts at state 1.
int rand();

// Puts the sequence back at its start (a fresh process starts there too).
void resetRandom();

}  // namespace demo

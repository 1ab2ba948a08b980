// fuzz_raw.cpp -- fuzz target: the raw RGB copy with a pixel count taken from the input
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "image/texture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2) return 0;
    // The first two bytes give the pixel count (with a sign when the top bit is set).
    int pixelCount = static_cast<int16_t>(data[0] | data[1] << 8);
    size_t capacity = pixelCount > 0 ? static_cast<size_t>(pixelCount) * 3 : 0;
    std::vector<unsigned char> destination(capacity);
    size_t copied = copyRawPixels(data + 2, size - 2, pixelCount, destination.data());
    if (copied * 3 > capacity || copied * 3 > size - 2) std::abort();
    for (size_t i = 0; i < copied * 3; ++i)
        if (destination[i] != data[2 + i]) std::abort();
    return 0;
}

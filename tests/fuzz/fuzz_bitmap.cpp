// fuzz_bitmap.cpp -- fuzz target: the bitmap decoder on arbitrary bytes
#include <cstdint>
#include <cstdlib>

#include "image/bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* error = nullptr;
    DibImage* image = decodeDib(data, size, &error);
    if (!image) {
        if (!error) std::abort();  // every failure names its message
        return 0;
    }
    if (image->width <= 0 || image->height <= 0 || image->width > 16384 || image->height > 16384)
        std::abort();
    // Touch every output byte, so a short allocation shows up under the address sanitizer.
    volatile unsigned sum = 0;
    size_t bytes = static_cast<size_t>(image->width) * image->height * 3;
    for (size_t i = 0; i < bytes; ++i) sum = sum + image->pixels[i];
    std::free(image->pixels);
    std::free(image);
    return 0;
}

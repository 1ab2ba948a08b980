// texture.h -- GL textures from bitmap files, blank render targets, raw RGB images
#pragma once
#include <cstddef>
#include <cstdint>

class Texture {
public:
    unsigned int id = 0;  // 0: no image

    Texture() = default;
    ~Texture() { release(); }  // with the GL context current, or after release()
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    void loadBitmap(const char* fileName);  // mipmapped RGB; stays bound
    void createBlank(int width, int height);  // zero RGBA; stays bound
    void release();  // gives the GL name back; id is 0 after
};

// Reads up to pixelCount whole RGB pixels into destination; 0 on success, 1 if the file
// cannot be opened (after a message box). A short file leaves the rest as it was.
int loadRawImage(const char* fileName, int pixelCount, unsigned char* destination);
constexpr size_t kMaxRawBytes = 16u << 20;  // a larger raw file is refused

// The core of loadRawImage: copies the whole pixels `data` holds, at most pixelCount.
// Returns the number of pixels copied.
size_t copyRawPixels(const uint8_t* data, size_t size, int pixelCount, unsigned char* destination);

// texture.cpp -- GL textures from bitmap files, blank render targets, raw RGB images
#include "image/texture.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/bitmap.h"
#include "platform/platform.h"

void Texture::loadBitmap(const char* fileName)
{
    std::FILE* probe = std::fopen(fileName, "r");
    if (!probe) {
        showMessageBox(fileName, "Could not load texture");
        return;
    }
    std::fclose(probe);

    DibImage* image = readBitmapFile(fileName);
    if (!image) return;

    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    // The rows are packed without padding, so any width must be read byte-aligned.
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, image->width, image->height, GL_RGB, GL_UNSIGNED_BYTE,
                      image->pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);

    std::free(image->pixels);
    std::free(image);
}

void Texture::createBlank(int width, int height)
{
    size_t w = width > 0 ? static_cast<size_t>(width) : 0;
    size_t h = height > 0 ? static_cast<size_t>(height) : 0;
    std::vector<unsigned char> zeros(w * h * 4 + 4, 0);

    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, zeros.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

size_t copyRawPixels(const uint8_t* data, size_t size, int pixelCount, unsigned char* destination)
{
    if (!data || !destination || pixelCount <= 0) return 0;
    size_t pixels = size / 3;
    if (pixels > static_cast<size_t>(pixelCount)) pixels = static_cast<size_t>(pixelCount);
    std::memcpy(destination, data, pixels * 3);
    return pixels;
}

int loadRawImage(const char* fileName, int pixelCount, unsigned char* destination)
{
    std::FILE* file = std::fopen(fileName, "rb");
    if (!file) {
        showMessageBox("hehe ;)", "Could not load RAW image");
        return 1;
    }
    std::vector<uint8_t> bytes(pixelCount > 0 ? static_cast<size_t>(pixelCount) * 3 : 0);
    size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    copyRawPixels(bytes.data(), got, pixelCount, destination);
    return 0;
}

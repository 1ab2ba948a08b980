// texture.cpp -- GL textures from bitmap files, blank render targets, raw RGB images
#include "image/texture.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/bitmap.h"
#include "platform/platform.h"

namespace {

// The power of two the mipmap builder would scale a side to: the one below, or the one above
// from one and a half times the one below (768 becomes 1024). The GL limit is left to the builder.
int powerOfTwoNear(int side)
{
    int power = 1;
    while (power * 2 <= side) power *= 2;
    return side * 2 >= power * 3 ? power * 2 : power;
}

// Bilinear resampling of packed RGB rows. The mipmap builder's own rescaling loses the last row
// of some pictures (3 x 4 comes out with a black top row), so every picture reaches it with
// power-of-two sides.
std::vector<unsigned char> resampled(const DibImage& image, int width, int height)
{
    std::vector<unsigned char> out(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        double sy = std::max(0.0, (y + 0.5) * image.height / height - 0.5);
        int y0 = std::min(static_cast<int>(sy), image.height - 1);
        int y1 = std::min(y0 + 1, image.height - 1);
        double fy = sy - y0;
        for (int x = 0; x < width; ++x) {
            double sx = std::max(0.0, (x + 0.5) * image.width / width - 0.5);
            int x0 = std::min(static_cast<int>(sx), image.width - 1);
            int x1 = std::min(x0 + 1, image.width - 1);
            double fx = sx - x0;
            for (int c = 0; c < 3; ++c) {
                auto at = [&](int px, int py) {
                    return image.pixels[(static_cast<size_t>(py) * image.width + px) * 3 + c];
                };
                double top = at(x0, y0) + (at(x1, y0) - at(x0, y0)) * fx;
                double bottom = at(x0, y1) + (at(x1, y1) - at(x0, y1)) * fx;
                out[(static_cast<size_t>(y) * width + x) * 3 + c] =
                    static_cast<unsigned char>(top + (bottom - top) * fy + 0.5);
            }
        }
    }
    return out;
}

}  // namespace

void Texture::loadBitmap(const char* fileName)
{
    if (access(fileName, R_OK) != 0) {
        showMessageBox(fileName, "Could not load texture");
        return;
    }

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
    int width = powerOfTwoNear(image->width), height = powerOfTwoNear(image->height);
    if (width == image->width && height == image->height) {
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, width, height, GL_RGB, GL_UNSIGNED_BYTE, image->pixels);
    } else {
        std::vector<unsigned char> pixels = resampled(*image, width, height);
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    }
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

void Texture::release()
{
    if (id != 0) glDeleteTextures(1, &id);
    id = 0;
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
    std::vector<uint8_t> bytes;
    if (!readWholeFile(fileName, kMaxRawBytes, bytes)) {
        showMessageBox("hehe ;)", "Could not load RAW image");
        return 1;
    }
    copyRawPixels(bytes.data(), bytes.size(), pixelCount, destination);
    return 0;
}

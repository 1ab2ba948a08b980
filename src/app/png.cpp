// png.cpp -- PNG output through the single-header writer that Debian packages
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

#include "app/png.h"

bool writeFramePng(const std::string& path, const std::vector<uint8_t>& rgbBottomUp, int width,
                   int height)
{
    if (rgbBottomUp.size() < static_cast<size_t>(width) * height * 3) return false;
    stbi_flip_vertically_on_write(1);
    return stbi_write_png(path.c_str(), width, height, 3, rgbBottomUp.data(), width * 3) != 0;
}

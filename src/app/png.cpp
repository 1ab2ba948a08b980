// png.cpp -- PNG output through the single-header writer that Debian packages
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

#include "app/png.h"

#include "platform/platform.h"

namespace {
void appendBytes(void* context, void* data, int size)
{
    auto* bytes = static_cast<std::vector<uint8_t>*>(context);
    bytes->insert(bytes->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}
}  // namespace

bool writeFramePng(const std::string& path, const std::vector<uint8_t>& rgbBottomUp, int width,
                   int height, std::string& reason)
{
    std::vector<uint8_t> png;
    stbi_flip_vertically_on_write(1);
    if (rgbBottomUp.size() < static_cast<size_t>(width) * height * 3 ||
        !stbi_write_png_to_func(appendBytes, &png, width, height, 3, rgbBottomUp.data(), width * 3)) {
        reason = "the picture could not be encoded";
        return false;
    }
    return writeFileWhole(path, png, reason);
}

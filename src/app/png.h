// png.h -- writes a frame read back from GL (bottom row first) as a PNG
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Whole or not at all; false with the reason.
bool writeFramePng(const std::string& path, const std::vector<uint8_t>& rgbBottomUp, int width,
                   int height, std::string& reason);

// cmvm_writer.cpp -- camera path files: int32 count, then eye and angle records
#include <cstdint>
#include <cstdio>

#include "assetgen.h"
#include "geometry/cmvm_encode.h"

bool writeCmvm(const std::string& path, const std::vector<Vertex>& eyePoints,
               const std::vector<Vertex>& anglePoints)
{
    if (eyePoints.size() != anglePoints.size()) return false;
    std::vector<uint8_t> bytes =
        encodeCmvm(eyePoints.data(), anglePoints.data(), static_cast<int32_t>(eyePoints.size()));
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
        return false;
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

// cmvm_writer.cpp -- camera path files: int32 count, then eye and angle records
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "assetgen.h"

namespace {
void putLittleEndian32(std::FILE* file, uint32_t value)
{
    unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                              static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    std::fwrite(bytes, 1, 4, file);
}

void putVertex(std::FILE* file, const Vertex& v)
{
    const float fields[9] = {v.x, v.y, v.z, v.r, v.g, v.b, v.a, v.u, v.v};
    for (float f : fields) {
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        putLittleEndian32(file, bits);
    }
}
}  // namespace

bool writeCmvm(const std::string& path, const std::vector<Vertex>& eyePoints,
               const std::vector<Vertex>& anglePoints)
{
    if (eyePoints.size() != anglePoints.size()) return false;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
        return false;
    }
    putLittleEndian32(file, static_cast<uint32_t>(eyePoints.size()));
    for (const Vertex& v : eyePoints) putVertex(file, v);
    for (const Vertex& v : anglePoints) putVertex(file, v);
    return std::fclose(file) == 0;
}

// cmvm_encode.cpp -- the bytes of a camera path file
#include "geometry/cmvm_encode.h"

#include <cstring>

namespace {
void putLittleEndian32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void putRecord(std::vector<uint8_t>& out, const Vertex& v)
{
    const float fields[9] = {v.x, v.y, v.z, v.r, v.g, v.b, v.a, v.u, v.v};
    for (float f : fields) {
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        putLittleEndian32(out, bits);
    }
}
}  // namespace

std::vector<uint8_t> encodeCmvm(const Vertex* eyePoints, const Vertex* anglePoints, int32_t count)
{
    std::vector<uint8_t> out;
    putLittleEndian32(out, static_cast<uint32_t>(count));
    for (int32_t i = 0; i < count; ++i) putRecord(out, eyePoints[i]);
    for (int32_t i = 0; i < count; ++i) putRecord(out, anglePoints[i]);
    return out;
}

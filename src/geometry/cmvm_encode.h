// cmvm_encode.h -- the bytes of a camera path file, as the path reader takes them (GL-free)
#pragma once
#include <cstdint>
#include <vector>

#include "geometry/vertex.h"

// Little-endian: an int32 count n, then n eye records, then n angle records, nine float32 each
// (x, y, z, r, g, b, a, u, v).
std::vector<uint8_t> encodeCmvm(const Vertex* eyePoints, const Vertex* anglePoints, int32_t count);

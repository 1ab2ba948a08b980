// spline_path.cpp -- camera paths: CMVM decoding, uniform cubic B-spline sampling, the shared samples
#include "geometry/spline_path.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "geometry/cmvm_encode.h"
#include "platform/platform.h"

SplinePath* cameraPath = nullptr;
Vertex* cameraPathEyeSamples = nullptr;
Vertex* cameraPathAngleSamples = nullptr;
int cameraPathEyeSampleCount = 0;
int cameraPathAngleSampleCount = 0;
int cameraPathStep = 0;

namespace {
constexpr size_t kCountBytes = 4;
constexpr size_t kRecordBytes = 36;
constexpr size_t kTrailingBytesRead = 1 << 16;  // a file may carry a little after its records

uint32_t littleEndian32(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

float littleEndianFloat(const uint8_t* bytes)
{
    uint32_t bits = littleEndian32(bytes);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

Vertex decodeRecord(const uint8_t* bytes)
{
    float f[9];
    for (int i = 0; i < 9; ++i) f[i] = littleEndianFloat(bytes + 4 * i);
    Vertex v(f[0], f[1], f[2]);
    v.r = f[3];
    v.g = f[4];
    v.b = f[5];
    v.a = f[6];
    v.u = f[7];
    v.v = f[8];
    return v;
}

// Bytes a file of n points occupies, or 0 when n is negative or over the cap.
size_t cmvmBytesFor(int32_t n)
{
    if (n < 0 || n > kMaxCmvmPoints) return 0;
    return kCountBytes + 2 * kRecordBytes * static_cast<size_t>(n);
}

// Uniform cubic B-spline through points[0 .. n-1]; the point past the last one is the last one.
int sampleSpline(const Vertex* points, int n, int samplesPerSegment, Vertex* out)
{
    if (n <= 2 || samplesPerSegment <= 0 || !points || !out) return 0;
    int o = 0;
    for (int k = 1; k <= n - 2; ++k) {
        const Vertex& p0 = points[k - 1];
        const Vertex& p1 = points[k];
        const Vertex& p2 = points[k + 1];
        const Vertex& p3 = points[k + 2 < n ? k + 2 : n - 1];
        for (int m = 0; m < samplesPerSegment; ++m) {
            double t = static_cast<double>(m) / samplesPerSegment;
            double b0 = 1 - 3 * t + 3 * t * t - t * t * t;
            double b1 = 4 - 6 * t * t + 3 * t * t * t;
            double b2 = 1 + 3 * t + 3 * t * t - 3 * t * t * t;
            double b3 = t * t * t;
            const double sixth = 0.16666666666666666;
            out[o].x = static_cast<float>((b0 * p0.x + b1 * p1.x + b2 * p2.x + b3 * p3.x) * sixth);
            out[o].y = static_cast<float>((b0 * p0.y + b1 * p1.y + b2 * p2.y + b3 * p3.y) * sixth);
            out[o].z = static_cast<float>((b0 * p0.z + b1 * p1.z + b2 * p2.z + b3 * p3.z) * sixth);
            ++o;
        }
    }
    return 0;
}

// The whole file, read (a regular file only); trailing bytes past the records are ignored.
bool readCmvmFile(const char* fileName, std::vector<uint8_t>& bytes)
{
    return readWholeFile(fileName, cmvmBytesFor(kMaxCmvmPoints) + kTrailingBytesRead, bytes);
}

void replaceSampleArrays(int eyeCount, int angleCount)
{
    delete[] cameraPathEyeSamples;
    delete[] cameraPathAngleSamples;
    cameraPathEyeSamples = eyeCount > 0 ? new Vertex[eyeCount] : nullptr;
    cameraPathAngleSamples = angleCount > 0 ? new Vertex[angleCount] : nullptr;
    cameraPathEyeSampleCount = eyeCount > 0 ? eyeCount : 0;
    cameraPathAngleSampleCount = angleCount > 0 ? angleCount : 0;
}
}  // namespace

bool decodeCmvm(const uint8_t* data, size_t size, Vertex*& eyePoints, Vertex*& anglePoints,
                int32_t& pointCount)
{
    if (!data || size < kCountBytes) return false;
    int32_t n = static_cast<int32_t>(littleEndian32(data));
    size_t needed = cmvmBytesFor(n);
    if (needed == 0 || needed > size) return false;

    for (size_t at = kCountBytes; at < needed; at += 4)
        if (!std::isfinite(littleEndianFloat(data + at))) return false;
    Vertex* eyes = new Vertex[n];
    Vertex* angles = new Vertex[n];
    const uint8_t* record = data + kCountBytes;
    for (int32_t i = 0; i < n; ++i, record += kRecordBytes) eyes[i] = decodeRecord(record);
    for (int32_t i = 0; i < n; ++i, record += kRecordBytes) angles[i] = decodeRecord(record);
    eyePoints = eyes;
    anglePoints = angles;
    pointCount = n;
    return true;
}

SplinePath::SplinePath(int provisionalPointCount)
{
    if (provisionalPointCount <= 0) return;
    eyePoints = new Vertex[provisionalPointCount];
    anglePoints = new Vertex[provisionalPointCount];
    pointCount = provisionalPointCount;
}

SplinePath::~SplinePath()
{
    delete[] eyePoints;
    delete[] anglePoints;
}

void SplinePath::load(const char* fileName)
{
    this->fileName = fileName;
    std::vector<uint8_t> bytes;
    Vertex* eyes = nullptr;
    Vertex* angles = nullptr;
    int32_t n = 0;
    if (!readCmvmFile(fileName, bytes) || !decodeCmvm(bytes.data(), bytes.size(), eyes, angles, n)) {
        showMessageBox(fileName, "Could not load camera path");
        return;
    }
    delete[] eyePoints;
    delete[] anglePoints;
    eyePoints = eyes;
    anglePoints = angles;
    pointCount = n;
}

int SplinePath::sampleEye(int samplesPerSegment, Vertex* out) const
{
    return sampleSpline(eyePoints, pointCount, samplesPerSegment, out);
}

int SplinePath::sampleAngles(int samplesPerSegment, Vertex* out) const
{
    return sampleSpline(anglePoints, pointCount, samplesPerSegment, out);
}

void SplinePath::setEyePoint(int index, Vertex v)
{
    if (index < 0 || index >= pointCount) return;
    eyePoints[index].setPosition(v.x, v.y, v.z);
}

void loadCameraPath(const char* fileName, int provisionalPointCount)
{
    delete cameraPath;
    cameraPath = new SplinePath(provisionalPointCount);
    cameraPath->load(fileName);
    resampleCameraPath();
}

bool saveCameraPath(const SplinePath& path, std::string& reason)
{
    if (path.fileName.empty()) {
        reason = "this path has no file";
        return false;
    }
    std::vector<uint8_t> old;
    if (readWholeFile(path.fileName.c_str(), cmvmBytesFor(kMaxCmvmPoints) + kTrailingBytesRead, old) &&
        !writeFileWhole(path.fileName + ".bak", old, reason))
        return false;
    return writeFileWhole(path.fileName, encodeCmvm(path.eyePoints, path.anglePoints, path.pointCount), reason);
}

void resampleCameraPath()
{
    if (!cameraPath) return;
    int n = cameraPath->pointCount;
    bool sampled = n > 2;
    // The eye array holds exactly the curve's 50 (n - 2) samples; the angle array is 98 records
    // longer, its tail left zero and never read (applyCameraPathSample bounds by both counts). The
    // recorder's and the path tests' counts depend on the two lengths.
    replaceSampleArrays(sampled ? kPathSamplesPerSegment * n - 100 : 0, sampled ? kPathSamplesPerSegment * n - 2 : 0);
    cameraPath->sampleEye(kPathSamplesPerSegment, cameraPathEyeSamples);
    cameraPath->sampleAngles(kPathSamplesPerSegment, cameraPathAngleSamples);
}

bool eyeSampleClamped(int index, Vertex& out)
{
    if (cameraPathEyeSampleCount <= 0 || !cameraPathEyeSamples) return false;
    if (index < 0) index = 0;
    if (index >= cameraPathEyeSampleCount) index = cameraPathEyeSampleCount - 1;
    out = cameraPathEyeSamples[index];
    return true;
}

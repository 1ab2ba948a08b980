// spline_path.h -- camera paths: control points from CMVM files, sampled as B-splines
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "geometry/vertex.h"

class SplinePath {
public:
    Vertex* eyePoints = nullptr;
    Vertex* anglePoints = nullptr;
    int32_t pointCount = 0;
    std::string fileName;  // the file last loaded (or tried); empty for a path made in code

    SplinePath() = default;
    explicit SplinePath(int provisionalPointCount);  // that many default points in each list
    ~SplinePath();
    SplinePath(const SplinePath&) = delete;
    SplinePath& operator=(const SplinePath&) = delete;

    // Reads a CMVM file. A missing, short or malformed file shows "Could not load camera
    // path" with the file name as caption and keeps the points the path had.
    void load(const char* fileName);
    int sampleEye(int samplesPerSegment, Vertex* out) const;
    int sampleAngles(int samplesPerSegment, Vertex* out) const;
    void setEyePoint(int index, Vertex v);
};

// CMVM decoding from memory: on success fills eye and angle points (new[] arrays owned by
// the caller) and the count; on failure (also for a number that is not finite) returns false
// and leaves the outputs untouched.
constexpr int32_t kMaxCmvmPoints = 10000;
bool decodeCmvm(const uint8_t* data, size_t size, Vertex*& eyePoints, Vertex*& anglePoints,
                int32_t& pointCount);

constexpr int kPathSamplesPerSegment = 50;  // of the shared path's sample arrays

// The current path and its samples, shared by the path scenes and the recorder.
extern SplinePath* cameraPath;
extern Vertex* cameraPathEyeSamples;    // 50 n - 100 records
extern Vertex* cameraPathAngleSamples;  // 50 n - 2 records
extern int cameraPathEyeSampleCount;
extern int cameraPathAngleSampleCount;
extern int cameraPathStep;

// Replaces cameraPath by a path loaded from fileName (provisional count of default points
// kept if the file is bad), samples it at 50 per segment into fresh arrays.
void loadCameraPath(const char* fileName, int provisionalPointCount);
// Writes the path's points to its file whole or not at all, the file before kept as NAME.bak.
// False with the reason.
bool saveCameraPath(const SplinePath& path, std::string& reason);
// Re-samples cameraPath into fresh arrays (the recorder's rebuild).
void resampleCameraPath();
// Sample i of the eye array, clamped to the last sample (look-ahead past the end).
// False when there are no samples at all.
bool eyeSampleClamped(int index, Vertex& out);

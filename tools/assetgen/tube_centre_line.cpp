// tube_centre_line.cpp -- the tube's segment frames as its display list multiplies them, and
// camera flights fitted to the line through their origins
#include "tube_centre_line.h"

#include <cmath>
#include <algorithm>
#include <utility>

#include "geometry/mesh.h"

namespace {
struct Matrix3 {
    double m[3][3];  // m[row][column]
};

Matrix3 multiply(const Matrix3& a, const Matrix3& b)
{
    Matrix3 r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k) r.m[i][j] += a.m[i][k] * b.m[k][j];
    return r;
}

// glRotatef(degrees, axis) for a unit coordinate axis (0 = x, 1 = y, 2 = z).
Matrix3 axisRotation(float degrees, int axis)
{
    double radians = static_cast<double>(degrees) * M_PI / 180.0;
    double c = std::cos(radians), s = std::sin(radians);
    int a = (axis + 1) % 3, b = (axis + 2) % 3;
    Matrix3 r{};
    r.m[axis][axis] = 1;
    r.m[a][a] = c;
    r.m[a][b] = -s;
    r.m[b][a] = s;
    r.m[b][b] = c;
    return r;
}

TubeFrame frameOf(const Matrix3& rotation, const double origin[3])
{
    TubeFrame frame{};
    for (int i = 0; i < 3; ++i) {
        frame.origin[i] = origin[i];
        for (int j = 0; j < 3; ++j) frame.axis[j][i] = rotation.m[i][j];
    }
    return frame;
}

struct Vec3 {
    double x = 0, y = 0, z = 0;
};
Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(double s, Vec3 a) { return {s * a.x, s * a.y, s * a.z}; }
double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 normalised(Vec3 a) { return (1.0 / std::sqrt(dot(a, a))) * a; }

Vec3 originOf(const TubeFrame& f) { return {f.origin[0], f.origin[1], f.origin[2]}; }
Vec3 forwardOf(const TubeFrame& f) { return {f.axis[2][0], f.axis[2][1], f.axis[2][2]}; }

// Position and direction of the centre line at an arc length, between the frame origins.
void centreAt(const std::vector<TubeFrame>& frames, double segmentLength, double arc, Vec3& position,
              Vec3& tangent)
{
    double u = arc / segmentLength - 1;
    int last = static_cast<int>(frames.size()) - 1;
    int i = static_cast<int>(std::floor(u));
    i = i < 0 ? 0 : (i > last - 1 ? last - 1 : i);
    double f = u - i;
    const TubeFrame& a = frames[i];
    const TubeFrame& b = frames[i + 1];
    position = originOf(a) + f * (originOf(b) - originOf(a));
    tangent = normalised(forwardOf(a) + f * (forwardOf(b) - forwardOf(a)));
}

constexpr double kDegrees = 180.0 / M_PI;

// The angles that turn Camera::look's view (along +z, up +y, then Rx Ry Rz of 360 - angle in
// eye space) to look along forward with the horizon level: a pitch about x and a heading
// about y, no roll. Only straight up or down has no single heading.
Vec3 levelLookAngles(Vec3 forward, double previousHeading)
{
    double pitch = std::asin(std::max(-1.0, std::min(1.0, forward.y))) * kDegrees;
    double heading = std::atan2(forward.x, forward.z) * kDegrees;
    heading -= 360.0 * std::round((heading - previousHeading) / 360.0);  // no wrap between samples
    return {pitch, heading, 0};
}

constexpr int kSamplesPerSegment = 50;

// The control points sample j weighs, and how much; the point past the last is the last.
void splineWeights(int j, int pointCount, int index[4], double weight[4])
{
    int k = j / kSamplesPerSegment + 1;
    double t = static_cast<double>(j % kSamplesPerSegment) / kSamplesPerSegment;
    weight[0] = (1 - 3 * t + 3 * t * t - t * t * t) / 6;
    weight[1] = (4 - 6 * t * t + 3 * t * t * t) / 6;
    weight[2] = (1 + 3 * t + 3 * t * t - 3 * t * t * t) / 6;
    weight[3] = t * t * t / 6;
    for (int i = 0; i < 4; ++i) index[i] = std::min(k - 1 + i, pointCount - 1);
}

// Least-squares control points whose samples come nearest the targets (normal equations).
std::vector<Vec3> fitControlPoints(const std::vector<Vec3>& targets, int pointCount)
{
    int n = pointCount;
    std::vector<std::vector<double>> a(n, std::vector<double>(n, 0.0));
    std::vector<Vec3> b(n);
    for (int j = 0; j < static_cast<int>(targets.size()); ++j) {
        int index[4];
        double weight[4];
        splineWeights(j, n, index, weight);
        for (int p = 0; p < 4; ++p) {
            for (int q = 0; q < 4; ++q) a[index[p]][index[q]] += weight[p] * weight[q];
            b[index[p]] = b[index[p]] + weight[p] * targets[j];
        }
    }
    for (int col = 0; col < n; ++col) {
        int pivot = col;
        for (int row = col + 1; row < n; ++row)
            if (std::fabs(a[row][col]) > std::fabs(a[pivot][col])) pivot = row;
        std::swap(a[col], a[pivot]);
        std::swap(b[col], b[pivot]);
        for (int row = col + 1; row < n; ++row) {
            double factor = a[row][col] / a[col][col];
            for (int k = col; k < n; ++k) a[row][k] -= factor * a[col][k];
            b[row] = b[row] - factor * b[col];
        }
    }
    std::vector<Vec3> x(n);
    for (int row = n - 1; row >= 0; --row) {
        Vec3 sum = b[row];
        for (int k = row + 1; k < n; ++k) sum = sum - a[row][k] * x[k];
        x[row] = (1.0 / a[row][row]) * sum;
    }
    return x;
}

double smoothStep(double edge0, double edge1, double x)
{
    double t = (x - edge0) / (edge1 - edge0);
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    return t * t * (3 - 2 * t);
}

double arcPerSampleAt(const TubeFlight& flight, double arc)
{
    double inside = smoothStep(flight.slowFrom - flight.slowRamp, flight.slowFrom, arc) *
                    (1 - smoothStep(flight.slowTo, flight.slowTo + flight.slowRamp, arc));
    return flight.arcPerSample * (1 - (1 - flight.slowFactor) * inside);
}

// The arc of every sample, counted back from the last one.
std::vector<double> sampleArcs(const TubeFlight& flight, int sampleCount)
{
    std::vector<double> arcs(sampleCount);
    double arc = flight.lastSampleArc;
    for (int j = sampleCount - 1; j >= 0; --j) {
        arcs[j] = arc;
        arc -= arcPerSampleAt(flight, arc);
    }
    return arcs;
}

Vertex vertexOf(Vec3 v)
{
    return Vertex(static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z));
}
}  // namespace

std::vector<TubeFrame> tubeFrames(int segments, int style, float scale)
{
    std::vector<TubeFrame> frames;
    if (segments <= 0) return frames;
    frames.reserve(segments);
    Matrix3 rotation = axisRotation(0, 0);
    double origin[3] = {0, 0, 0};
    const double advance = static_cast<double>(kTubeSegmentAdvance) * scale;
    for (int i = 0; i < segments; ++i) {
        float turnX = 0, turnY = 0, turnZ = 0;
        tubeTurn(i, style, turnX, turnY, turnZ);
        rotation = multiply(rotation, axisRotation(360 - turnX, 0));
        rotation = multiply(rotation, axisRotation(360 - turnY, 1));
        rotation = multiply(rotation, axisRotation(360 - turnZ, 2));
        for (int k = 0; k < 3; ++k) origin[k] += rotation.m[k][2] * advance;
        frames.push_back(frameOf(rotation, origin));
    }
    return frames;
}

void fitTubeFlight(const TubeFlight& flight, std::vector<Vertex>& eyePoints,
                   std::vector<Vertex>& anglePoints)
{
    eyePoints.clear();
    anglePoints.clear();
    const int sampleCount = kSamplesPerSegment * (flight.pointCount - 2);
    if (flight.pointCount < 3 || flight.segments < 2) return;
    std::vector<TubeFrame> frames = tubeFrames(flight.segments, flight.style, flight.scale);
    const double segmentLength = static_cast<double>(kTubeSegmentAdvance) * flight.scale;

    std::vector<Vec3> eyes(sampleCount), angles(sampleCount);
    std::vector<double> arcs = sampleArcs(flight, sampleCount);
    for (int j = 0; j < sampleCount; ++j) {
        Vec3 forward;
        centreAt(frames, segmentLength, arcs[j], eyes[j], forward);
        angles[j] = levelLookAngles(forward, j > 0 ? angles[j - 1].y : 0);
    }
    for (Vec3 p : fitControlPoints(eyes, flight.pointCount)) eyePoints.push_back(vertexOf(p));
    for (Vec3 p : fitControlPoints(angles, flight.pointCount)) anglePoints.push_back(vertexOf(p));
}

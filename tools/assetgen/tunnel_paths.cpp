// tunnel_paths.cpp -- sc2.CMVM and sc3.CMVM: flights along the centre line of the two swept tubes
#include "assetgen.h"
#include "tube_centre_line.h"

namespace {
// The first tunnel: 5000 segments of style 1 at scale 1 (radius 3, 1000 units long). The
// scene takes one sample per frame at 60 fps for 19000 ms (1140 frames) and rests on sample
// 50 n - 150; with n = 26 that is sample 1150, just as the scene ends. 24 units a second
// (0.4 a frame) is a brisk ride in a tube 6 units wide. From segment 4240 to 4769 the tube
// rolls 1.7 degrees a segment while it bends, a corkscrew of about 39 units a turn: the
// camera takes it at half speed, which shows it off and lets the spline follow the coil.
// The flight covers the last third of the tube and ends about 27 units short of its open end.
TubeFlight firstTunnelFlight()
{
    TubeFlight flight;
    flight.segments = 5000;
    flight.style = 1;
    flight.scale = 1;
    flight.pointCount = 26;
    flight.arcPerSample = 0.4;
    flight.lastSampleArc = 985;
    flight.slowFrom = 845;  // arc of segment 4240, less a little run-in
    flight.slowTo = 975;    // past segment 4769, where the roll changes again
    flight.slowFactor = 0.5;
    flight.slowRamp = 20;
    return flight;
}

// The wide tunnel: 5000 segments of style 2 at scale 25 (radius 75, 25000 units long). The
// scene takes two samples per frame for 14500 ms (870 frames at 60 fps) and stops moving at
// 50 (n - 2) samples, so n = 37 keeps the flight going to the scene's end (875 frames). At
// 360 units a second (3 a sample) the wide bends pass in a few seconds each.
TubeFlight wideTunnelFlight()
{
    TubeFlight flight;
    flight.segments = 5000;
    flight.style = 2;
    flight.scale = 25;
    flight.pointCount = 37;
    flight.arcPerSample = 3;
    flight.lastSampleArc = 24750;
    return flight;
}

bool writeFlight(const std::string& path, const TubeFlight& flight)
{
    std::vector<Vertex> eyePoints, anglePoints;
    fitTubeFlight(flight, eyePoints, anglePoints);
    return writeCmvm(path, eyePoints, anglePoints);
}
}  // namespace

bool writeTunnelPaths(const std::string& dir)
{
    return writeFlight(dir + "/sc2.CMVM", firstTunnelFlight()) &&
           writeFlight(dir + "/sc3.CMVM", wideTunnelFlight());
}

// flight_paths.cpp -- the camera flights of the morph, corridor, ribbon and last-tunnel scenes
#include "assetgen.h"

bool writeFlightPaths(const std::string& dir)
{
    return writeMorphAndCorridorPaths(dir) && writeRibbonAndTunnelPaths(dir);
}

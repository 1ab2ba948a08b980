// assetgen.h -- the generator of every data file of the show
#pragma once
#include <string>
#include <vector>

#include "geometry/vertex.h"

// Each writes its files into dir, the same bytes on every run; false after a message.
bool writeImages(const std::string& dir);      // five bitmaps and mapclr.raw
bool writeSoundtrack(const std::string& dir);  // quirky.mp3
bool writeTunnelPaths(const std::string& dir);  // sc2.CMVM, sc3.CMVM
bool writeFlightPaths(const std::string& dir);  // sc6, sc10, sc9 and sc12.CMVM
bool writeMorphAndCorridorPaths(const std::string& dir);  // sc6.CMVM, sc10.CMVM
bool writeRibbonAndTunnelPaths(const std::string& dir);   // sc12.CMVM, sc9.CMVM

// A CMVM file: the count, the eye points, the angle points (9 little-endian floats each).
bool writeCmvm(const std::string& path, const std::vector<Vertex>& eyePoints,
               const std::vector<Vertex>& anglePoints);

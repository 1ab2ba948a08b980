// flight_paths.cpp -- PLACEHOLDER until its generator lands
#include "assetgen.h"

bool writeFlightPaths(const std::string&) { return true; }

// tunnel_paths.cpp -- PLACEHOLDER until its generator lands
#include "assetgen.h"

bool writeTunnelPaths(const std::string&) { return true; }

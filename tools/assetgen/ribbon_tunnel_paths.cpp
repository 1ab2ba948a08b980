// ribbon_tunnel_paths.cpp -- PLACEHOLDER until its generator lands
#include "assetgen.h"

bool writeRibbonAndTunnelPaths(const std::string&) { return true; }

// images.cpp -- PLACEHOLDER until its generator lands
#include "assetgen.h"

bool writeImages(const std::string&) { return true; }

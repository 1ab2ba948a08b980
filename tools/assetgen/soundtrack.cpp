// soundtrack.cpp -- PLACEHOLDER until its generator lands
#include "assetgen.h"

bool writeSoundtrack(const std::string&) { return true; }

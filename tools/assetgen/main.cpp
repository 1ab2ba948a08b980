// main.cpp -- assetgen DIR: writes the show's data files into DIR
#include <cstdio>
#include <filesystem>

#include "assetgen.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: assetgen DIR\n");
        return 2;
    }
    std::string dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    bool ok = writeImages(dir) && writeTunnelPaths(dir) && writeFlightPaths(dir) &&
              writeSoundtrack(dir);
    return ok ? 0 : 1;
}

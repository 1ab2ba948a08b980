// stills.h -- pictures of the show for the scene tests: stills rendered by the demo binary,
// scene frames drawn offscreen, and the set-up those tests share
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "geometry/vertex.h"

// One picture, rows top first.
struct Still {
    std::vector<uint8_t> rgb;
    int width = 0, height = 0;
    bool ok() const { return width == 1024 && height == 768; }
    const uint8_t* at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }

    // Share of the pixels of a rectangle (top-left origin) that pass a test.
    template <typename Test>
    double share(int x0, int y0, int x1, int y1, Test test) const
    {
        long hits = 0, count = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x, ++count) hits += test(at(x, y)) ? 1 : 0;
        return count ? static_cast<double>(hits) / count : 0;
    }
    template <typename Test>
    double share(Test test) const { return share(0, 0, width, height, test); }
    // Mean brightness (0..255).
    double mean(int x0, int y0, int x1, int y1) const;
    double mean() const { return mean(0, 0, width, height); }
};

int brightness(const uint8_t* p);     // 0..255
int colourfulness(const uint8_t* p);  // largest minus smallest channel

// Runs the demo binary once, its virtual clock at `fps`, and loads the stills at `times`
// (ms of show time); a still that was not written stays empty (ok() is false).
std::vector<Still> renderShowStills(const std::vector<int>& times, int fps);

// One frame of a scene as the frame body draws it: cleared black, identity model-view, then an
// scene's init if given (it runs inside the scene's first frame), then the draw. The scenes
// tested this way have no blur. The Still variant reads the frame back, which is slow.
void drawSceneFrame(void (*draw)(uint32_t), uint32_t ms, void (*init)() = nullptr);
Still drawSceneStill(void (*draw)(uint32_t), uint32_t ms, void (*init)() = nullptr);
// Scene time of a frame at 60 frames a second.
inline uint32_t msOfFrame(int frame) { return static_cast<uint32_t>(frame * 1000 / 60); }

// Sets the world up once per process; makes the data folder the working directory each call.
void setUpWorldOnce();

// A camera path file: the point count, then the eye points, then the angle points.
void writeCameraPath(const std::string& file, const std::vector<Vertex>& eyes, const std::vector<Vertex>& angles);


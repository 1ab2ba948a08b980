// frame_stats.h -- how the live show ran: per scene, the frames shown and their frame times
#pragma once
#include <string>
#include <vector>

// The value below which `fraction` of the values lie (nearest rank); 0 for none.
double percentile(std::vector<double> values, double fraction);

struct SceneFrames {
    size_t frames = 0;
    double medianMs = 0, p95Ms = 0;
    size_t late = 0;  // frames that missed at least one refresh
};

class FrameStatistics {
public:
    explicit FrameStatistics(int sceneCount) : frameTimes_(sceneCount), frames_(sceneCount, 0) {}

    // A frame of `scene` was presented at `wallMs`. Its frame time is the time since the frame
    // before it (of whatever scene); the first frame of the run has none.
    void frameShown(int scene, double wallMs);
    // A frame is late when it came more than one and a half refresh intervals after the one
    // before it: the display showed the earlier frame for at least one refresh too many.
    SceneFrames scene(int index, double refreshMs) const;
    // One line per scene that showed frames.
    std::string report(double refreshMs) const;

private:
    std::vector<std::vector<double>> frameTimes_;
    std::vector<size_t> frames_;
    double lastWallMs_ = -1;
};

// scene_steps.h -- the per-call steps of scenes 1 to 3 that tests drive on their own
#pragma once

// Scene 1: three angles integrated per draw call, snapped back to 0 in five time windows.
struct SpinState {
    bool started = false;  // the first call takes its own time as the previous one
    int resetIndex = 0;    // opening value of the next window: 0, 2, ... 10 = all used
    float clock = 0;       // ms since the first call or the last reset
    float prevTime = 0;    // ms, the previous call's argument
    float angleA = 0, angleB = 0, angleC = 0;  // degrees
};
extern SpinState cubeCloudSpin;
// Integrates the angles to scene time t (ms) and applies a reset window that t is strictly in.
void advanceSpin(float t);

// Scene 2: one path sample per call; rests on sample 50 n - 150.
void followTunnelPath();
// Scene 3: two path samples per call while below 50 (n - 2); then leaves the camera alone.
void followWideTunnelPath();

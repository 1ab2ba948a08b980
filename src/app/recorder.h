// recorder.h -- a left click records the camera into the current path, then re-samples it
#pragma once

extern int cameraPathPointCount;  // points recorded by clicks in the whole run

void recordCameraPathClick();

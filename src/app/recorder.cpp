// recorder.cpp -- PLACEHOLDER until the recorder lands
#include "app/recorder.h"

int cameraPathPointCount = 0;

void recordCameraPathClick() {}

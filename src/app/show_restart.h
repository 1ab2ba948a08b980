// show_restart.h -- the show put back as a fresh process starts it, for a replay from 0
#pragma once

struct Timeline;

// A fresh GL context on the same window, every piece of state the scenes carry from frame to
// frame back at its start, the world set up again (its data files read anew), and the
// timeline before its first frame. False where the context cannot be made again.
bool restartShow(Timeline& timeline);

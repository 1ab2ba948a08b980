// music_player.h -- the soundtrack stream, started with the first frame
#pragma once

class MusicPlayer {
public:
    int init();   // 0 on success, 1 on any failure (the show then runs silent)
    void play();  // every frame: starts the stream once, later calls leave it playing
};

extern MusicPlayer* musicPlayer;

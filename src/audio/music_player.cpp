// music_player.cpp -- PLACEHOLDER until the music player lands
#include "audio/music_player.h"

MusicPlayer* musicPlayer = nullptr;

int MusicPlayer::init() { return 1; }
void MusicPlayer::play() {}

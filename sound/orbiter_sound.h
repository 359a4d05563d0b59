// Connection to the optional sound library and the guarded requests to it.
#pragma once

#include "host/host_api.h"

// The vessel's sound identifier, or -1 when the library cannot serve it.
int ConnectToOrbiterSoundDLL3(OBJHANDLE vessel);

// Each passes the request on unchanged, or returns 0 and does nothing when
// the library's entry point is missing or an argument is out of range.
int SoundLoadWave(int id, int slot, const char* path, int type);
int SoundPlayWave(int id, int slot, int loop, int volume, int frequency);
int SoundStopWave(int id, int slot);
int SoundSetOption(int id, int option, int value);

// Appends one entry to the sound log in the working directory.
void SoundLogEntry(const char* message, const char* detail);

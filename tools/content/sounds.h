// The game's sound effects, synthesised and written as 16-bit PCM WAV files.
#pragma once

#include <string>

namespace content {

// Writes sfx/NNN.wav for every sound slot under dataDir; false if a file cannot be written.
bool writeSounds(const std::string& dataDir);

}  // namespace content

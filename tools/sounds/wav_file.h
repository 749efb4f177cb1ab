// Writes 16-bit PCM WAV files.
#pragma once

#include <string>

#include "dsp.h"

namespace quarlyn {

// Samples are rounded to 16 bits and clamped to full scale; false if the file cannot be written.
bool write_wav(const std::string& path, const Stereo& sound);

}  // namespace quarlyn

// The sound side of the real runtime. It lives in a module of its own (libquarlyn-audio.so),
// loaded only when something is first played, so that a saver that plays nothing never maps
// the sound libraries and the dozens of libraries behind them.
//
// Contract:
// - The module exports `kAudioOutputEntry`, a `CreateAudioOutput` that makes the process's
//   one `AudioOutput` for a runtime; `application` names the program's folders (its cache).
// - `create_control` makes a multimedia control that plays through that output; every control
//   must be destroyed before its output, and the output before the runtime.
#pragma once

#include <memory>
#include <string>

#include "platform/mm_control.h"

namespace quarlyn {

class Runtime;

class AudioOutput {
 public:
  virtual ~AudioOutput() = default;
  virtual std::unique_ptr<MMControl> create_control() = 0;
};

extern "C" {
using CreateAudioOutput = AudioOutput*(Runtime& runtime, const std::string& application);
}
inline constexpr const char* kAudioOutputEntry = "quarlyn_create_audio_output";
inline constexpr const char* kAudioModuleName = "libquarlyn-audio.so";

}  // namespace quarlyn

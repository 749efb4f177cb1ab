// Loading the sound module (see audio_output.h).
//
// Contract:
// - The module is looked for at `module_dir` (relative paths count from the folder of the
//   running program), so that an installed program and one in its build tree each find their
//   own.
// - Any failure (no module, a module without the entry, an entry that makes nothing) prints
//   one line on stderr, "quarlyn: no sound (<reason>); running silent", and gives nothing.
// - A loaded module stays loaded for the life of the process.
#pragma once

#include <memory>
#include <string>

#include "platform/audio_output.h"

namespace quarlyn {

std::unique_ptr<AudioOutput> load_audio_module(Runtime& runtime, const std::string& module_dir,
                                               const std::string& application);

}  // namespace quarlyn

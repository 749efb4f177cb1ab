#include "platform/audio_module.h"

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace quarlyn {
namespace {

std::filesystem::path program_folder() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : program.parent_path();
}

std::unique_ptr<AudioOutput> report_silence(const std::string& reason) {
  std::fprintf(stderr, "quarlyn: no sound (%s); running silent\n", reason.c_str());
  return nullptr;
}

}  // namespace

std::unique_ptr<AudioOutput> load_audio_module(Runtime& runtime, const std::string& module_dir,
                                               const std::string& application) {
  const std::filesystem::path path = (program_folder() / module_dir / kAudioModuleName).lexically_normal();
  // Never closed: the module's code runs until the process ends.
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) return report_silence(dlerror());
  auto* create = reinterpret_cast<CreateAudioOutput*>(dlsym(module, kAudioOutputEntry));
  if (create == nullptr) return report_silence(path.string() + " has no " + kAudioOutputEntry);
  std::unique_ptr<AudioOutput> output(create(runtime, application));
  if (!output) return report_silence(path.string() + " made no output");
  return output;
}

}  // namespace quarlyn

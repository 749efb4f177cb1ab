// The program's real entry on the real runtime, with stand-ins for the two windows that print
// which one would have been shown. Lets the end-to-end tests watch the mode decisions,
// including the single-instance search across processes.
#include <cstdio>
#include <memory>

#include "platform/fltk/real_runtime.h"
#include "platform/settings_store.h"
#include "startup/run_modes.h"

int main(int argc, char** argv) {
  using namespace quarlyn;
  SettingsStore store(SettingsStore::default_file(kApplicationName), kSettingsSection);
  RealRuntime runtime(argc, argv, kApplicationName, store);
  auto settings = std::make_unique<Settings>();
  RunFlags flags;
  ModeWindows windows{
      .show_configuration = [] { std::puts("configuration shown"); },
      .show_saver =
          [&flags] {
            std::puts("saver shown");
            flags.saver_running = false;
          },
  };
  try {
    Main(runtime, *settings, flags, windows);
  } catch (const ProgramEnded&) {
  }
  return 0;
}

// Picks the real runtime and hands over to the program's entry.
#include <csignal>
#include <memory>

#include "config/configuration_window.h"
#include "platform/fltk/real_runtime.h"
#include "platform/settings_store.h"
#include "saver/saver_window.h"
#include "startup/run_modes.h"

namespace {

using namespace quarlyn;

// Runs the program until it ends by itself or through `end_program`; every window and control it
// made is gone on return.
void run_program(RealRuntime& runtime) {
  auto settings = std::make_unique<Settings>();
  RunFlags flags;
  const SettingsRetry settings_retry(runtime);
  std::unique_ptr<frm_screensaver> saver_window;
  std::unique_ptr<frm_configuration> configuration_window;
  ModeWindows windows{
      .show_configuration =
          [&] {
            configuration_window = std::make_unique<frm_configuration>(runtime, *settings, flags);
            runtime.show_modeless(*configuration_window);
          },
      .show_saver =
          [&] {
            saver_window = std::make_unique<frm_screensaver>(runtime, *settings, flags);
            saver_window->Show();
          },
  };
  try {
    Main(runtime, *settings, flags, windows);
    // The program lives on while one of its windows is open.
    runtime.run_until_closed();
    flush_settings(runtime);
  } catch (const ProgramEnded&) {
    // Nothing more of the program runs; what it made is released on the way out.
  }
  runtime.close_modeless_windows();
}

}  // namespace

int main(int argc, char** argv) {
  // Under a file-size limit, a write past it fails (EFBIG) rather than killing the program.
  std::signal(SIGXFSZ, SIG_IGN);
  SettingsStore store(SettingsStore::default_file(kApplicationName), kSettingsSection,
                      SettingsStore::system_files(kApplicationName));
  RealRuntime runtime(argc, argv, kApplicationName, store);
  run_program(runtime);
  // Changes another process's lock still holds up are kept for a later run, not lost.
  store.keep_pending(SettingsStore::kSaveWait);
  return 0;
}

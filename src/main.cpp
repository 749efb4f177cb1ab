// Picks the real runtime and hands over to the program's entry.
#include <memory>

#include "config/configuration_window.h"
#include "platform/fltk/real_runtime.h"
#include "platform/settings_store.h"
#include "saver/saver_window.h"
#include "startup/run_modes.h"

int main(int argc, char** argv) {
  using namespace quarlyn;
  SettingsStore store(SettingsStore::default_file(kApplicationName), kSettingsSection,
                      SettingsStore::system_files(kApplicationName));
  RealRuntime runtime(argc, argv, kApplicationName, store);
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
  Main(runtime, *settings, flags, windows);
  // The program lives on while one of its windows is open.
  runtime.run_until_closed();
  flush_settings(runtime);
  return 0;
}

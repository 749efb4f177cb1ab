// Records a program folder in the settings store of the user who runs it, for a program run from
// the build tree (run.sh, the tests); an install records its folder in the system layer instead.
// The program itself never writes this key.
//
//   record_install_path FOLDER
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/settings_store.h"
#include "startup/settings.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  std::error_code error;
  std::filesystem::path folder = std::filesystem::absolute(argv[1], error);
  if (error || !std::filesystem::is_directory(folder)) {
    std::fprintf(stderr, "%s: not a folder: %s\n", argv[0], argv[1]);
    return 1;
  }
  std::string text = folder.lexically_normal().string();
  if (text.back() != '/') text += '/';
  quarlyn::SettingsStore store(quarlyn::SettingsStore::default_file(quarlyn::kApplicationName),
                              quarlyn::kSettingsSection);
  if (!store.save({{"install_path", text}})) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], store.file().c_str());
    return 1;
  }
  std::printf("install_path=%s recorded in %s\n", text.c_str(), store.file().c_str());
  return 0;
}

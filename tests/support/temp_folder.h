// A temporary folder for one test, removed with it.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace quarlyn::testing {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quarlyn-unit-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }

  // Writes a file of `size` bytes and returns its path.
  std::string file(const std::string& name, size_t size) const {
    std::ofstream(path_ / name, std::ios::binary) << std::string(size, 'x');
    return (path_ / name).string();
  }

 private:
  std::filesystem::path path_;
};

}  // namespace quarlyn::testing

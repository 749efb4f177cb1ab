#include "platform/audio_module.h"

#include <dlfcn.h>
#include <elf.h>
#include <link.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/checked_file.h"

namespace quarlyn {
namespace {

using ElfHeader = ElfW(Ehdr);
using SegmentHeader = ElfW(Phdr);
constexpr unsigned char kNativeClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;

std::filesystem::path program_folder() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : program.parent_path();
}

std::unique_ptr<AudioOutput> report_silence(const std::string& reason) {
  std::fprintf(stderr, "quarlyn: no sound (%s); running silent\n", reason.c_str());
  return nullptr;
}

// Whether `count` items of `size` bytes from `offset` lie within the first `limit` bytes.
bool within(uint64_t offset, uint64_t count, uint64_t size, uint64_t limit) {
  return offset <= limit && (size == 0 || count <= (limit - offset) / size);
}

bool read_at(CheckedFile& file, uint64_t offset, void* buffer, std::size_t count) {
  return ::lseek(file.fd(), static_cast<off_t>(offset), SEEK_SET) >= 0 &&
         file.read_exactly(static_cast<char*>(buffer), count);
}

// Every segment the loader maps must lie within the file: a page mapped past its end kills the
// process (SIGBUS) when touched.
bool segments_within(CheckedFile& file, const ElfHeader& header) {
  std::vector<SegmentHeader> segments(header.e_phnum);
  if (!read_at(file, header.e_phoff, segments.data(), segments.size() * sizeof(SegmentHeader))) return false;
  for (const SegmentHeader& segment : segments) {
    if (segment.p_type == PT_LOAD && !within(segment.p_offset, segment.p_filesz, 1, file.size())) return false;
  }
  return true;
}

// Why the file at `path` cannot be loaded safely, or "" when it can. dlopen itself would wait for
// ever on a FIFO and crash on a file cut short.
std::string module_problem(const std::string& path) {
  CheckedFile file = CheckedFile::open(path, kAnyFileSize);
  if (file.status() == CheckedFile::Status::kNotRegular) return path + ": not a regular file";
  if (!file) return path + ": " + std::strerror(file.error() != 0 ? file.error() : EIO);
  ElfHeader header{};
  const bool elf = read_at(file, 0, &header, sizeof header) && std::memcmp(header.e_ident, ELFMAG, SELFMAG) == 0 &&
                   header.e_ident[EI_CLASS] == kNativeClass && header.e_phentsize == sizeof(SegmentHeader);
  if (!elf) return path + ": not a shared object of this system";
  // With more sections than fit the count, the first entry holds the real count.
  const uint64_t sections = header.e_shoff == 0 ? 0 : std::max<uint64_t>(header.e_shnum, 1);
  if (!within(header.e_phoff, header.e_phnum, header.e_phentsize, file.size()) ||
      !within(header.e_shoff, sections, header.e_shentsize, file.size()) || !segments_within(file, header)) {
    return path + ": cut short";
  }
  return "";
}

}  // namespace

std::unique_ptr<AudioOutput> load_audio_module(Runtime& runtime, const std::string& module_dir,
                                               const std::string& application) {
  const std::filesystem::path path = (program_folder() / module_dir / kAudioModuleName).lexically_normal();
  if (const std::string problem = module_problem(path.string()); !problem.empty()) return report_silence(problem);
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

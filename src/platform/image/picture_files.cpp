// Picture files: the format is recognised by its first bytes; saving writes a 24-bit BMP beside
// the target and renames it over, so a failed save leaves the old file (or none) behind.
#include "platform/picture_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <span>
#include <vector>

#include "platform/checked_file.h"
#include "platform/image/picture_decoders.h"

namespace quarlyn {

namespace {

// Far above any picture worth showing. Files are read as they decode, so their size costs no
// memory.
constexpr size_t kMaxFileSize = size_t{256} << 20;
constexpr size_t kBmpHeadersSize = 54;
constexpr uint32_t kPixelsPerMetre = 2835;  // 72 dots per inch
constexpr mode_t kNewFileMode = 0644;

class UniqueFd {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  int get() const { return fd_; }
  // Closes now, reporting what close reports: a delayed write error shows up here.
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool starts_with(const unsigned char* data, size_t size, std::initializer_list<unsigned char> magic) {
  return size >= magic.size() && std::memcmp(data, magic.begin(), magic.size()) == 0;
}

void put16(std::vector<unsigned char>& out, size_t at, uint32_t value) {
  out[at] = static_cast<unsigned char>(value);
  out[at + 1] = static_cast<unsigned char>(value >> 8);
}

void put32(std::vector<unsigned char>& out, size_t at, uint32_t value) {
  put16(out, at, value & 0xFFFF);
  put16(out, at + 2, value >> 16);
}

std::optional<std::vector<unsigned char>> encode_bmp(const Surface& picture) {
  const uint64_t stride = (3 * static_cast<uint64_t>(picture.width()) + 3) / 4 * 4;
  const uint64_t image_size = stride * static_cast<uint64_t>(picture.height());
  if (kBmpHeadersSize + image_size > UINT32_MAX) return std::nullopt;
  std::vector<unsigned char> out(kBmpHeadersSize + image_size);
  out[0] = 'B';
  out[1] = 'M';
  put32(out, 2, static_cast<uint32_t>(out.size()));
  put32(out, 10, kBmpHeadersSize);
  put32(out, 14, 40);
  put32(out, 18, static_cast<uint32_t>(picture.width()));
  put32(out, 22, static_cast<uint32_t>(picture.height()));  // positive: bottom row first
  put16(out, 26, 1);
  put16(out, 28, 24);
  put32(out, 34, static_cast<uint32_t>(image_size));
  put32(out, 38, kPixelsPerMetre);
  put32(out, 42, kPixelsPerMetre);
  for (int y = 0; y < picture.height(); ++y) {
    unsigned char* line = out.data() + kBmpHeadersSize + stride * static_cast<uint64_t>(picture.height() - 1 - y);
    const Pixel* in = picture.row(y);
    for (int x = 0; x < picture.width(); ++x) {
      line[3 * x] = static_cast<unsigned char>(in[x]);
      line[3 * x + 1] = static_cast<unsigned char>(in[x] >> 8);
      line[3 * x + 2] = static_cast<unsigned char>(in[x] >> 16);
    }
  }
  return out;
}

bool write_all(int fd, const std::vector<unsigned char>& bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t done = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    written += static_cast<size_t>(done);
  }
  return true;
}

// Writes a temporary file in the target's folder and renames it over the target. A file being
// replaced keeps its permissions.
bool replace_file(const std::string& path, const std::vector<unsigned char>& bytes) {
  struct stat old {};
  const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : kNewFileMode;
  std::string temporary = path + ".XXXXXX";
  UniqueFd fd(::mkostemp(temporary.data(), O_CLOEXEC));
  if (fd.get() < 0) return false;
  const bool written = ::fchmod(fd.get(), mode) == 0 && write_all(fd.get(), bytes) && ::fsync(fd.get()) == 0;
  if (fd.close() && written && ::rename(temporary.c_str(), path.c_str()) == 0) return true;
  ::unlink(temporary.c_str());
  return false;
}

}  // namespace

std::span<const unsigned char> PictureBytes::read(uint64_t at, size_t count) {
  if (at >= size_) return {};
  count = static_cast<size_t>(std::min<uint64_t>(count, size_ - at));
  if (data_ != nullptr) return {data_ + at, count};
  buffer_.resize(count);
  size_t done = 0;
  while (done < count) {
    const ssize_t got = ::pread(fd_, buffer_.data() + done, count - done, static_cast<off_t>(at + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  return {buffer_.data(), done};
}

namespace {

std::optional<Surface> decode(PictureBytes file, const DrawnSize& drawn_size) {
  PictureCanvas canvas(drawn_size);
  const std::span<const unsigned char> head = file.read(0, 4);
  bool decoded = false;
  if (starts_with(head.data(), head.size(), {'B', 'M'})) {
    decoded = decode_bmp(file, canvas);
  } else if (starts_with(head.data(), head.size(), {'G', 'I', 'F', '8'})) {
    decoded = decode_gif(file, canvas);
  } else if (starts_with(head.data(), head.size(), {0xFF, 0xD8, 0xFF})) {
    decoded = decode_jpeg(file, canvas);
  }
  if (!decoded) return std::nullopt;
  return canvas.finish();
}

std::optional<Surface> load(const std::string& path, const DrawnSize& drawn_size) {
  const CheckedFile file = CheckedFile::open(path, kMaxFileSize);
  if (!file) return std::nullopt;
  return decode(PictureBytes(file.fd(), file.size()), drawn_size);
}

}  // namespace

std::optional<Surface> decode_picture(const unsigned char* data, size_t size) {
  if (data == nullptr) return std::nullopt;
  return decode(PictureBytes(data, size), {});
}

std::optional<Surface> load_picture(const std::string& path) { return load(path, {}); }

std::optional<Surface> decode_picture(const unsigned char* data, size_t size, const DrawnSize& drawn_size) {
  if (data == nullptr) return std::nullopt;
  return decode(PictureBytes(data, size), drawn_size);
}

std::optional<Surface> load_picture(const std::string& path, const DrawnSize& drawn_size) {
  return load(path, drawn_size);
}

bool save_picture(const Surface& picture, const std::string& path) {
  if (picture.empty()) return false;
  const std::optional<std::vector<unsigned char>> bytes = encode_bmp(picture);
  return bytes && replace_file(path, *bytes);
}

}  // namespace quarlyn

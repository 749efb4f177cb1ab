// JPEG reading through libjpeg: grey, YCbCr and RGB files come out as RGB; CMYK and YCCK files
// are converted from their ink values. The library's fatal errors jump back here instead of
// ending the program, and a file that ends early is refused rather than padded with grey.
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <span>
#include <vector>

// The library's headers need FILE and size_t declared first.
#include <jerror.h>
#include <jpeglib.h>

#include "platform/image/picture_decoders.h"

namespace quarlyn {

namespace {

// Progressive files keep every coefficient in memory, whatever size they are decoded at; this
// bounds that, and a file that needs more is refused.
constexpr long kMaxDecoderMemory = 768L << 20;
// Real files have a few dozen scans at most; thousands only make a decoder crawl.
constexpr int kMaxScans = 500;

struct JpegErrors {
  jpeg_error_mgr manager;  // first, so the library's pointer to it leads back here
  std::jmp_buf jump;
};

[[noreturn]] void jump_back(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1); }

void treat_early_end_as_error(j_common_ptr info, int level) {
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) jump_back(info);
}

void stay_quiet(j_common_ptr) {}

void limit_scans(j_common_ptr info) {
  if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans) jump_back(info);
}

struct Decompressor {
  jpeg_decompress_struct info{};
  JpegErrors errors{};
  jpeg_progress_mgr progress{};

  Decompressor() {
    jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jump_back;
    errors.manager.emit_message = treat_early_end_as_error;
    errors.manager.output_message = stay_quiet;
    progress.progress_monitor = limit_scans;
    info.err = &errors.manager;
  }
  ~Decompressor() { jpeg_destroy_decompress(&info); }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;
};

// Runs library calls that may fail. Nothing between here and the library's jump may own
// resources, so `step` works only through references.
template <typename Step>
bool guarded(Decompressor& jpeg, const Step& step) {
  if (setjmp(jpeg.errors.jump) != 0) return false;
  step();
  return true;
}

Pixel from_ink(const JSAMPLE* cmyk, bool inverted) {
  // Adobe's writers store the inks inverted, which most CMYK files come from.
  const unsigned k = inverted ? cmyk[3] : 255u - cmyk[3];
  const auto channel = [&](JSAMPLE ink) {
    const unsigned paper = inverted ? ink : 255u - ink;
    return static_cast<uint8_t>((paper * k + 127) / 255);
  };
  return rgb(channel(cmyk[0]), channel(cmyk[1]), channel(cmyk[2]));
}

void convert_row(const jpeg_decompress_struct& info, const JSAMPLE* in, Pixel* out) {
  for (JDIMENSION x = 0; x < info.output_width; ++x) {
    if (info.out_color_space == JCS_CMYK) {
      out[x] = from_ink(in + 4 * x, info.saw_Adobe_marker);
    } else {
      out[x] = rgb(in[3 * x], in[3 * x + 1], in[3 * x + 2]);
    }
  }
}

bool choose_output(jpeg_decompress_struct& info) {
  switch (info.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB: info.out_color_space = JCS_RGB; return true;
    case JCS_CMYK:
    case JCS_YCCK: info.out_color_space = JCS_CMYK; return true;
    default: return false;
  }
}

// Sequential Huffman-coded data spends at least two bits on every 8x8 block of the
// full-resolution component, so a shorter file cannot hold its picture; refusing it early spares
// allocating for a size it only claims.
bool data_suffices(const jpeg_decompress_struct& info, uint64_t size) {
  if (info.progressive_mode || info.arith_code) return true;
  const uint64_t blocks = (uint64_t{info.image_width} + 7) / 8 * ((uint64_t{info.image_height} + 7) / 8);
  return blocks / 4 <= size;
}

// Reads the file a block at a time, so a large photo never stands whole in memory. A file that
// ends early gets the library's end marker and its warning, which `treat_early_end_as_error`
// turns into a failure.
struct FileSource {
  static constexpr size_t kBlock = 64 * 1024;
  jpeg_source_mgr manager{};  // first, so the library's pointer to it leads back here
  PictureBytes* file;
  uint64_t offset = 0;

  static FileSource& of(j_decompress_ptr info) { return *reinterpret_cast<FileSource*>(info->src); }
  static void nothing(j_decompress_ptr) {}
  static boolean fill(j_decompress_ptr info) {
    FileSource& source = of(info);
    const std::span<const unsigned char> block = source.file->read(source.offset, kBlock);
    if (block.empty()) {
      WARNMS(info, JWRN_JPEG_EOF);
      static const JOCTET kEnd[2] = {0xFF, JPEG_EOI};
      source.manager.next_input_byte = kEnd;
      source.manager.bytes_in_buffer = 2;
      return TRUE;
    }
    source.offset += block.size();
    source.manager.next_input_byte = block.data();
    source.manager.bytes_in_buffer = block.size();
    return TRUE;
  }
  static void skip(j_decompress_ptr info, long count) {
    FileSource& source = of(info);
    while (count > static_cast<long>(source.manager.bytes_in_buffer)) {
      count -= static_cast<long>(source.manager.bytes_in_buffer);
      fill(info);
    }
    source.manager.next_input_byte += count;
    source.manager.bytes_in_buffer -= static_cast<size_t>(count);
  }

  explicit FileSource(PictureBytes& bytes) : file(&bytes) {
    manager.init_source = nothing;
    manager.fill_input_buffer = fill;
    manager.skip_input_data = skip;
    manager.resync_to_restart = jpeg_resync_to_restart;
    manager.term_source = nothing;
  }
};

bool read_header(Decompressor& jpeg, FileSource& source) {
  jpeg_decompress_struct& info = jpeg.info;
  return guarded(jpeg, [&] {
    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = kMaxDecoderMemory;
    info.progress = &jpeg.progress;
    info.src = &source.manager;
    jpeg_read_header(&info, TRUE);
  });
}

// Rows go to the canvas as they are decoded.
bool read_rows(Decompressor& jpeg, std::vector<JSAMPLE>& line, std::vector<Pixel>& row, PictureCanvas& canvas) {
  jpeg_decompress_struct& info = jpeg.info;
  return guarded(jpeg, [&] {
    while (info.output_scanline < info.output_height) {
      const auto y = static_cast<int>(info.output_scanline);
      JSAMPROW rows[1] = {line.data()};
      // The source never suspends; no row means the decoder is stuck.
      if (jpeg_read_scanlines(&info, rows, 1) != 1) jump_back(reinterpret_cast<j_common_ptr>(&info));
      convert_row(info, line.data(), row.data());
      canvas.add_row(y, row.data());
    }
    jpeg_finish_decompress(&info);
  });
}
// The library decodes straight at 1/2, 1/4 or 1/8 of the full size, doing a fraction of the work
// in a fraction of the memory.
void choose_reduction(jpeg_decompress_struct& info, const Rect& least) {
  for (const unsigned denominator : {8u, 4u, 2u}) {
    const auto reduced = [&](JDIMENSION side) { return static_cast<int>((side + denominator - 1) / denominator); };
    if (reduced(info.image_width) >= least.width && reduced(info.image_height) >= least.height) {
      info.scale_num = 1;
      info.scale_denom = denominator;
      return;
    }
  }
}

}  // namespace

bool decode_jpeg(PictureBytes& file, PictureCanvas& canvas) {
  FileSource source(file);
  Decompressor jpeg;
  jpeg_decompress_struct& info = jpeg.info;
  if (!read_header(jpeg, source) || !choose_output(info) || !data_suffices(info, file.size()) ||
      !canvas.accept(info.image_width, info.image_height)) {
    return false;
  }
  if (canvas.reducing()) choose_reduction(info, canvas.drawn());
  JDIMENSION width = 0;
  JDIMENSION height = 0;
  if (!guarded(jpeg, [&] {
        jpeg_calc_output_dimensions(&info);
        width = info.output_width;
        height = info.output_height;
        jpeg_start_decompress(&info);
      })) {
    return false;
  }
  const int components = info.out_color_space == JCS_CMYK ? 4 : 3;
  if (info.output_components != components || info.output_width != width || info.output_height != height ||
      info.output_width == 0 || info.output_height == 0 || info.output_width > info.image_width ||
      info.output_height > info.image_height) {
    return false;
  }
  std::vector<JSAMPLE> line(static_cast<size_t>(info.output_width) * components);
  std::vector<Pixel> row(info.output_width);
  canvas.begin(static_cast<int>(info.output_width), static_cast<int>(info.output_height));
  return read_rows(jpeg, line, row, canvas);
}

}  // namespace quarlyn

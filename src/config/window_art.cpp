#include "config/window_art.h"

#include <cstdint>
#include <optional>

#include "platform/picture_files.h"

// The pictures tool writes one BMP file per picture into QUARLYN_WINDOW_ART_DIR at build time;
// the assembler copies each file's bytes into the program between two symbols.
#define QUARLYN_WINDOW_ART(name)                                                               \
  asm(".section .rodata\n.balign 16\n.global quarlyn_art_" #name "\nquarlyn_art_" #name ":\n" \
      ".incbin \"" QUARLYN_WINDOW_ART_DIR "/" #name ".bmp\"\n"                                \
      ".global quarlyn_art_" #name "_end\nquarlyn_art_" #name "_end:\n.previous\n");          \
  extern "C" const unsigned char quarlyn_art_##name[];                                        \
  extern "C" const unsigned char quarlyn_art_##name##_end[];

// In the order of WindowArt.
#define QUARLYN_WINDOW_ART_LIST(X)                                                                       \
  X(config_background)                                                                                   \
  X(type1) X(type2) X(type3) X(type4) X(type5) X(type6) X(type7)                                       \
  X(type1_lit) X(type2_lit) X(type3_lit) X(type4_lit) X(type5_lit) X(type6_lit) X(type7_lit)           \
  X(tips)                                                                                                \
  X(button_start) X(button_about) X(button_homepage) X(button_options) X(button_help) X(button_exit)     \
  X(about_background) X(about_logo) X(about_blocks)                                                      \
  X(help_background)                                                                                     \
  X(welcome_background) X(welcome_logo)                                                                  \
  X(options_background)

QUARLYN_WINDOW_ART_LIST(QUARLYN_WINDOW_ART)

namespace quarlyn {

namespace {

struct Bytes {
  const unsigned char* begin;
  const unsigned char* end;
};

#define QUARLYN_WINDOW_ART_BYTES(name) Bytes{quarlyn_art_##name, quarlyn_art_##name##_end},
constexpr Bytes kArt[] = {QUARLYN_WINDOW_ART_LIST(QUARLYN_WINDOW_ART_BYTES)};

}  // namespace

Surface window_art(WindowArt which) {
  const Bytes& bytes = kArt[static_cast<size_t>(which)];
  // The two symbols bound one object the compiler does not know of: measured as addresses.
  const auto size = reinterpret_cast<uintptr_t>(bytes.end) - reinterpret_cast<uintptr_t>(bytes.begin);
  std::optional<Surface> picture = decode_picture(bytes.begin, size);
  return picture ? std::move(*picture) : Surface();
}

}  // namespace quarlyn

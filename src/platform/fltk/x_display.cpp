#include "platform/fltk/x_display.h"

#include <FL/Fl.H>
#include <FL/x.H>

#include <cstdio>
#include <cstdlib>

namespace quarlyn {
namespace {

// FLTK's message names an unset display with a blank; this one says what is wrong.
[[noreturn]] void no_display(const char*, ...) {
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || *name == '\0') {
    std::fputs("quarlyn: no X display is available (DISPLAY is not set)\n", stderr);
  } else {
    std::fprintf(stderr, "quarlyn: no X display is available at \"%s\"\n", name);
  }
  std::exit(1);
}

}  // namespace

// FLTK reports a display it cannot open through its fatal-error hook, its only fatal error
// while opening; the hook is ours just for that while.
void open_x_display() {
  if (fl_display != nullptr) return;
  const auto fltk_fatal = Fl::fatal;
  Fl::fatal = no_display;
  fl_open_display();
  Fl::fatal = fltk_fatal;
}

}  // namespace quarlyn

// caption_window <caption>: shows a 200x100 window captioned <caption>, prints "ready" once the
// X server has it with its WM_NAME and _NET_WM_NAME, and runs until killed or closed. End-to-end
// scripts use it as "another program's window" for the single-instance search.
#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: caption_window <caption>\n");
    return 2;
  }
  Fl_Window window(200, 100, argv[1]);
  window.end();
  // An ordinary (not override-redirect) window gets both name properties from FLTK even
  // without a window manager; the sync makes sure the server holds them before "ready".
  window.show();
  XSync(fl_display, False);
  std::printf("ready\n");
  std::fflush(stdout);
  return Fl::run();
}

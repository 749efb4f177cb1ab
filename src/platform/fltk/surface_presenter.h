// Puts areas of a surface into the window FLTK is drawing, keeping a copy of what it last sent
// so that areas whose pixels are unchanged need not be sent again.
//
// Contract:
// - `reset` makes the copy the whole of the surface (sized to it); `update` brings one area of
//   the copy up to date and tells whether any pixel there differed. Call either before `send`:
//   `send` may take the pixels from the copy.
// - `send` draws an area of the surface with its top-left corner at (x, y) of the current window,
//   through FLTK's graphics context, so FLTK's clip applies.
// - On a TrueColor visual whose pixels are 32-bit 0x00RRGGBB in this machine's byte order (the
//   surfaces' own layout), pixels go to the server as they are: from the copy in memory shared
//   with the server (MIT-SHM) when the server is local and offers it, otherwise with XPutImage
//   over the surface's rows. Another TrueColor visual (16 bits) gets each channel cut to the
//   visual's bits, the same on every draw; any other visual gets them converted by
//   fl_draw_image. Setting QUARLYN_NO_SHM in the environment keeps shared memory out.
// - Sends through shared memory are not waited for. The copy only ever moves towards the
//   surface, and every area an update writes is sent after the write, so a server that reads
//   the memory late shows newer pixels early but always ends on what was last sent; waiting
//   would cost a round trip, and memory, at every frame.
#pragma once

#include <memory>

#include "platform/surface.h"

namespace quarlyn {

class SurfacePresenter {
 public:
  SurfacePresenter();
  ~SurfacePresenter();
  SurfacePresenter(const SurfacePresenter&) = delete;
  SurfacePresenter& operator=(const SurfacePresenter&) = delete;

  void reset(const Surface& surface);
  bool update(const Surface& surface, const Rect& area);
  void send(const Surface& surface, const Rect& area, int x, int y);

  // How pixels reach the server, for tests and figures.
  enum class Path { kUndecided, kSharedMemory, kPutImage, kConverted, kDrawImage };
  Path path() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace quarlyn

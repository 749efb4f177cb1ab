// Everything a saver game step reaches: the host, the settings, the run flags, the game, its
// play screen, the saver window's own state and its sound devices. The saver window owns one;
// tests build their own.
#pragma once

#include <memory>

#include "platform/mm_control.h"
#include "platform/picture_prefetch.h"
#include "platform/runtime.h"
#include "platform/screen_window.h"
#include "saver/game.h"
#include "saver/message_line.h"
#include "saver/play_screen.h"
#include "saver/saver_window_state.h"
#include "startup/run_flags.h"
#include "startup/settings.h"

namespace quarlyn {

struct Saver {
  Saver(Runtime& runtime, Settings& settings, RunFlags& flags)
      : runtime(runtime),
        settings(settings),
        flags(flags),
        MMControl1(runtime.create_mm_control()),
        MMControl2(runtime.create_mm_control()),
        MMControl3(runtime.create_mm_control()) {}
  Saver(const Saver&) = delete;
  Saver& operator=(const Saver&) = delete;

  Runtime& runtime;
  Settings& settings;
  RunFlags& flags;
  Game game{};
  PlayScreen screen{};
  SaverWindowState window{};
  MessageLine message_line{};
  std::unique_ptr<MMControl> MMControl1;  // MIDI tunes
  std::unique_ptr<MMControl> MMControl2;  // the sound effects in audio.wav
  std::unique_ptr<MMControl> MMControl3;  // wave tunes of the playlist
  ScreenWindow* screen_window = nullptr;  // where the clock's text box is, when there is one
  PicturePrefetch backgrounds{load_background};  // the backgrounds the next changes may show
};

}  // namespace quarlyn

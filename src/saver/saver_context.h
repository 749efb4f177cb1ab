// Everything a saver game step reaches: the host, the settings, the run flags, the game, its
// play screen and the saver window's own state. The saver window owns one; tests build their own.
#pragma once

#include "platform/runtime.h"
#include "saver/game.h"
#include "saver/play_screen.h"
#include "saver/saver_window_state.h"
#include "startup/run_flags.h"
#include "startup/settings.h"

namespace quarlyn {

struct Saver {
  Runtime& runtime;
  Settings& settings;
  RunFlags& flags;
  Game game{};
  PlayScreen screen{};
  SaverWindowState window{};
};

}  // namespace quarlyn

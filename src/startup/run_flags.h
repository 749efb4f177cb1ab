// The flags that tell the windows which run is under way.
#pragma once

#include <cstdint>

namespace quarlyn {

struct RunFlags {
  bool saver_running = false;       // the saver window is up
  int32_t started_from_config = 0;  // 1: the game was started from the configuration window
  int32_t robot_playing = 0;        // 1 while the robot plays
  int32_t quit_requested = 0;       // not 0: the saver ends after the current frame
};

}  // namespace quarlyn

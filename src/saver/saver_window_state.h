// The saver window's own state: frame pacing, input counting, the repaint request, the screen
// size, the audio bookkeeping and the name-entry result.
#pragma once

#include <cstdint>
#include <string>

namespace quarlyn {

struct SaverWindowState {
  int32_t saver_started = 0;
  int32_t wait_start = 0;
  int32_t frame_counter = 0;
  int16_t mouse_moves = 0;
  int16_t mouse_threshold = 22;
  int16_t full_redraw_pending = 0;
  // 1 = a key or the mouse handed the robot's game to a person; the frame loop starts the
  // person's game between two frames, never inside a game step that yielded.
  int16_t takeover_pending = 0;
  int32_t screen_width = 0;
  int32_t screen_height = 0;
  int16_t playlist_pos = 1;
  int32_t midi_busy = 0;
  int32_t wav_busy = 0;
  int16_t wav_opened = 0;
  std::string player_name;  // handed back by the name-entry dialog
};

}  // namespace quarlyn

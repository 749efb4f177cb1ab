#include "saver/saver_window.h"

#include <algorithm>
#include <cmath>

#include "platform/clock.h"
#include "platform/waiting.h"
#include "saver/game_flow.h"
#include "saver/music_and_sound.h"
#include "saver/piece_supply.h"
#include "saver/sprite_compositor.h"
#include "startup/run_modes.h"
#include "startup/shell_services.h"

namespace quarlyn {

namespace {

constexpr int kMouseWindowFrames = 80;
constexpr int32_t kPlaylistTickMs = 2000;

// Keys a person's game reads by polling; while a person plays they are not stored as a key.
bool is_game_key(int key_code) {
  switch (key_code) {
    case kKeyLeft: case kKeyUp: case kKeyRight: case kKeyDown: case kKeySpace:
    case kKeyA: case kKeyD: case kKeyS: case kKeyW:
      return true;
    default:
      return false;
  }
}

}  // namespace

frm_screensaver::frm_screensaver(Runtime& runtime, Settings& settings, RunFlags& flags)
    : saver_{runtime, settings, flags},
      window_(runtime.create_screen_window(kSaverCaption, *this)),
      Timer1(runtime) {
  Timer1.on_timer = [this] { Timer1_Timer(saver_); };
  saver_.MMControl1->StatusUpdate = [this] { MMControl1_StatusUpdate(saver_); };
  saver_.MMControl3->StatusUpdate = [this] { MMControl3_StatusUpdate(saver_); };
  saver_.screen_window = window_.get();
}

frm_screensaver::~frm_screensaver() = default;

void frm_screensaver::Show() {
  Form_Load();
  window_->show_surface(saver_.screen.ascreen);
  window_->show();
}

void frm_screensaver::Form_Load() {
  Runtime& runtime = saver_.runtime;
  SaverWindowState& window = saver_.window;
  // The window covers the whole screen, so centred it stands at the origin.
  window_->move({0, 0, runtime.screen_width(), runtime.screen_height()});
  window.wav_opened = 0;
  saver_.flags.saver_running = true;
  window.mouse_threshold = 22;
  saver_.message_line.scroller_gap = 50 * saver_.message_line.scroller_gap_base;
  load_settings(runtime, saver_.settings);
  window.wav_busy = 0;
  window.midi_busy = 0;
  runtime.randomize();
  const int32_t total = saver_.settings.audio_files_total;
  if (total > 0) window.playlist_pos = static_cast<int16_t>(std::floor(runtime.rnd() * total + 1));
  window.saver_started = 0;
  hide_cursor(runtime);
  stakko_initgraphics(saver_);
  load_piece_sequence(saver_.game, saver_.settings);
  if (saver_.flags.started_from_config == 0) {
    saver_.flags.robot_playing = 1;
    choose_robot_starting_level(saver_);
  }
  // Decoded while the window maps; the first game takes its background from these.
  prefetch_next_game_backgrounds(saver_);
}

void frm_screensaver::Form_Activate() {
  SaverWindowState& window = saver_.window;
  if (window.saver_started != 0) return;
  Runtime& runtime = saver_.runtime;
  window.saver_started = 1;
  window_->set_time_box("", false);
  saver_.message_line.scroller.visible = false;
  window.screen_width = runtime.screen_width();
  window.screen_height = runtime.screen_height();
  runtime.yield();
  saver_.flags.quit_requested = 0;
  window.mouse_moves = 0;
  init_the_game(saver_);
  runtime.yield();
  Timer1.set_interval(kPlaylistTickMs);
  Timer1.set_enabled(true);
  enter_saver_mode(runtime);
  saver_.game.time_start = runtime.time_get_time();
  main_loop();
}

void frm_screensaver::Form_Paint() { saver_.window.full_redraw_pending = 1; }

void frm_screensaver::Form_Resize() { saver_.window.full_redraw_pending = 1; }

void frm_screensaver::Form_KeyDown(int key_code, int) {
  if (saver_.flags.robot_playing == 1 || !is_game_key(key_code)) saver_.game.key_code = key_code;
  do_keypress();
}

void frm_screensaver::ascreen_KeyPress(int) { do_keypress(); }

void frm_screensaver::Form_MouseMove() { saver_.window.mouse_moves = static_cast<int16_t>(saver_.window.mouse_moves + 1); }

void frm_screensaver::Form_Unload() {
  Runtime& runtime = saver_.runtime;
  Timer1.set_enabled(false);
  leave_saver_mode(runtime);
  runtime.yield();
  show_cursor(runtime);
  audio_off(saver_);
  saver_.flags.saver_running = false;
  runtime.yield();
}

void frm_screensaver::main_loop() {
  while (saver_.flags.saver_running) {
    run_frame();
    if (saver_.flags.quit_requested != 0) break;
  }
  Form_Unload();
  window_->close();
}

void frm_screensaver::run_frame() {
  SaverWindowState& window = saver_.window;
  window.wait_start = saver_.runtime.time_get_time();
  blit_old_sprites(saver_);
  move_sprites(saver_);
  saver_.runtime.key_poll_done();
  blit_new_sprites(saver_);
  blit_flicker_free(saver_);
  wait_for_next_frame();
  if (++window.frame_counter == kMouseWindowFrames) {
    window.frame_counter = 0;
    window.mouse_moves = 0;
  }
  handle_mousemoves();
  take_over_if_asked();
  if (window.full_redraw_pending == 1) {
    window.full_redraw_pending = 0;
    stakko_redrawascreen(saver_);
  }
}

// Sleeps in the window system's event wait until the frame's time is up (at least one yield),
// so the saver costs almost no processor time between frames; input and timers run meanwhile.
// A stored frame time below 1 ms counts as 1 ms: a deadline already passed would not sleep.
void frm_screensaver::wait_for_next_frame() {
  const int32_t frame_ms = std::max<int32_t>(saver_.settings.frame_rate, 1);
  yield_until_reached(saver_.runtime, clock_add(saver_.window.wait_start, frame_ms));
}

// Input runs inside the yields of a game step too; starting the person's game there would let
// the rest of the robot's step (its clear, its fill, its next game's set-up) run on against it.
void frm_screensaver::take_over_if_asked() {
  SaverWindowState& window = saver_.window;
  if (window.takeover_pending == 0) return;
  window.takeover_pending = 0;
  if (saver_.flags.quit_requested == 0) stakko_newgame(saver_);
}

void frm_screensaver::do_keypress() {
  RunFlags& flags = saver_.flags;
  if (saver_.game.key_code == kKeyEsc) {
    flags.quit_requested = 1;
  } else if (flags.robot_playing == 1 && flags.started_from_config == 0) {
    if (saver_.settings.game_trigger == 0)
      saver_.window.takeover_pending = 1;
    else
      saver_end();
  }
}

// A take-over still pending is the person's game already: the mouse no longer ends the saver.
void frm_screensaver::handle_mousemoves() {
  SaverWindowState& window = saver_.window;
  if (window.mouse_moves <= window.mouse_threshold) return;
  window.mouse_moves = 0;
  const RunFlags& flags = saver_.flags;
  if (flags.robot_playing != 1 || window.takeover_pending != 0 || flags.started_from_config != 0) return;
  if (saver_.settings.game_trigger != 0)
    window.takeover_pending = 1;
  else
    saver_end();
}

void frm_screensaver::saver_end() { saver_.flags.quit_requested = 1; }

}  // namespace quarlyn

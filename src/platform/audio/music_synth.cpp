#include "platform/audio/music_synth.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "platform/audio/tune_cache.h"

namespace quarlyn {
namespace {

// The synthesizer would print a line for every voice it cannot place: millions for a tune of
// dense chords, and the printing alone stalls the sound thread.
void silence_synthesizer() {
  for (int level = 0; level < LAST_LOG_LEVEL; ++level) fluid_set_log_function(level, nullptr, nullptr);
}

// Samples are read when a tune selects their instrument, on the sound thread; with the file in
// the page cache that takes well under a buffer's time even on a slow disk.
void warm_up(const std::string& soundfont) {
  const int file = open(soundfont.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (file < 0) return;
  posix_fadvise(file, 0, 0, POSIX_FADV_WILLNEED);
  close(file);
}

}  // namespace

// Measured on the default tunes with quarlyn_bench (BM_SynthTuning), against the synthesizer's
// own settings: reverb and chorus take a third of its time, and without them the music differs
// by -10 dB, a drier sound, which in the background of a game we take for the time. The tunes
// never sound 64 notes at once, so the smaller polyphony changes nothing but the worst case, and
// linear interpolation saved nothing measurable, so the default fourth order stays.
MusicSynth::Tuning MusicSynth::Tuning::for_background(int sample_rate) {
  return Tuning{sample_rate, 64, false, false, FLUID_INTERP_4THORDER, 0.75};
}

MusicSynth::MusicSynth(const Tuning& tuning) : tuning_(tuning) {}

MusicSynth::~MusicSynth() {
  drop_player();
  if (synth_ != nullptr) delete_fluid_synth(synth_);
  if (settings_ != nullptr) delete_fluid_settings(settings_);
}

bool MusicSynth::prepare(const std::string& soundfont) {
  // Decodes on two threads may both come first; the second waits for the first's synthesizer.
  const std::lock_guard making(making_lock_);
  {
    const std::lock_guard lock(lock_);
    if (synth_ != nullptr) return true;
  }
  if (soundfont.empty()) return false;
  silence_synthesizer();
  fluid_settings_t* settings = new_fluid_settings();
  if (settings == nullptr) return false;
  fluid_settings_setnum(settings, "synth.sample-rate", tuning_.sample_rate);
  fluid_settings_setint(settings, "synth.polyphony", tuning_.polyphony);
  fluid_settings_setint(settings, "synth.reverb.active", tuning_.reverb ? 1 : 0);
  fluid_settings_setint(settings, "synth.chorus.active", tuning_.chorus ? 1 : 0);
  fluid_settings_setnum(settings, "synth.gain", tuning_.gain);
  // The tune's timing follows the rendered samples, so no timer thread runs beside the sound.
  fluid_settings_setstr(settings, "player.timing-source", "sample");
  // Only the samples of the instruments a tune selects are read, a few hundred kilobytes each,
  // instead of the whole soundfont's.
  fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
  fluid_settings_setint(settings, "synth.lock-memory", 0);
  fluid_synth_t* synth = new_fluid_synth(settings);
  warm_up(soundfont);
  if (synth == nullptr || fluid_synth_sfload(synth, soundfont.c_str(), 1) == FLUID_FAILED) {
    if (synth != nullptr) delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    return false;
  }
  fluid_synth_set_interp_method(synth, -1, tuning_.interpolation);
  const std::lock_guard lock(lock_);
  settings_ = settings;
  synth_ = synth;
  return true;
}

bool MusicSynth::play(const std::vector<char>& tune) {
  const std::lock_guard lock(lock_);
  drop_player();
  if (synth_ == nullptr || tune.empty()) return false;
  fluid_synth_system_reset(synth_);
  player_ = new_fluid_player(synth_);
  if (player_ == nullptr) return false;
  if (fluid_player_add_mem(player_, tune.data(), tune.size()) == FLUID_OK && fluid_player_play(player_) == FLUID_OK) {
    playing_ = true;
    return true;
  }
  drop_player();
  return false;
}

void MusicSynth::play_cached(std::shared_ptr<CachedTune> tune) {
  const std::lock_guard lock(lock_);
  drop_player();
  tune->rewind();
  cached_ = std::move(tune);
  playing_ = true;
}

void MusicSynth::stop() {
  const std::lock_guard lock(lock_);
  drop_player();
}

bool MusicSynth::playing() const { return playing_; }

bool MusicSynth::sounding() const {
  const std::lock_guard lock(lock_);
  return playing_ || fading();
}

bool MusicSynth::fading() const { return player_ != nullptr && fluid_synth_get_active_voice_count(synth_) > 0; }

void MusicSynth::drop_player() {
  playing_ = false;
  cached_.reset();
  if (player_ == nullptr) return;
  delete_fluid_player(player_);
  player_ = nullptr;
  // Notes still held or fading end with their tune.
  fluid_synth_all_sounds_off(synth_, -1);
}

void MusicSynth::render(int16_t* frames, int frame_count) {
  const std::lock_guard lock(lock_);
  if (cached_) {
    render_cached(frames, frame_count);
    return;
  }
  // Once a tune has ended and its last notes have faded, the synthesizer is left alone.
  if (player_ == nullptr || !(playing_ || fading())) {
    std::memset(frames, 0, static_cast<std::size_t>(frame_count) * 2 * sizeof(int16_t));
    return;
  }
  fluid_synth_write_s16(synth_, frame_count, frames, 0, 2, frames, 1, 2);
  if (fluid_player_get_status(player_) == FLUID_PLAYER_DONE) playing_ = false;
}

void MusicSynth::render_cached(int16_t* frames, int frame_count) {
  const int got = playing_ ? cached_->read(frames, frame_count) : 0;
  if (got < frame_count) {
    std::memset(frames + static_cast<std::ptrdiff_t>(got) * 2, 0,
                static_cast<std::size_t>(frame_count - got) * 2 * sizeof(int16_t));
    playing_ = false;
  }
}

void MusicSynth::render_hook(void* synth, uint8_t* stream, int bytes) {
  static_cast<MusicSynth*>(synth)->render(reinterpret_cast<int16_t*>(stream), bytes / 4);
}

std::string first_existing_file(const std::vector<std::string>& candidates) {
  for (const std::string& path : candidates) {
    struct stat status {};
    if (stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && access(path.c_str(), R_OK) == 0) return path;
  }
  return "";
}

std::string installed_soundfont() {
  // Debian's General MIDI soundfonts, the small one first: it loads in a fifth of the time of
  // the 148 MB one and holds a twentieth of the memory.
  return first_existing_file({
      "/usr/share/sounds/sf2/TimGM6mb.sf2",
      "/usr/share/sounds/sf2/FluidR3_GM.sf2",
      "/usr/share/sounds/sf3/default-GM.sf3",
      "/usr/share/sounds/sf2/default-GM.sf2",
  });
}

}  // namespace quarlyn

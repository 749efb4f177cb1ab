#include "startup/settings.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <string_view>

#include "platform/settings_store.h"
#include "startup/default_files.h"

namespace quarlyn {

namespace {

constexpr const char* kMiscKey = "peKWT";
constexpr int kMiscKeyLength = 5;
constexpr auto kFlushWait = std::chrono::seconds(3);
constexpr int32_t kRetryEveryMs = 1000;

// The text of a number: blanks around it dropped, and a leading "+" (which from_chars refuses).
std::string_view number_text(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  std::string_view view(text.data() + first, text.find_last_not_of(" \t") + 1 - first);
  if (view.size() > 1 && view[0] == '+' && view[1] != '-') view.remove_prefix(1);
  return view;
}

// A whole decimal number with optional sign, within T's range.
template <typename T>
std::optional<T> parse_integer(const std::string& text) {
  std::string_view view = number_text(text);
  T value{};
  auto [stop, error] = std::from_chars(view.data(), view.data() + view.size(), value);
  if (view.empty() || error != std::errc() || stop != view.data() + view.size()) return std::nullopt;
  return value;
}

// A decimal number with optional sign and fraction.
std::optional<double> parse_number(const std::string& text) {
  std::string_view view = number_text(text);
  double value = 0;
  auto [stop, error] = std::from_chars(view.data(), view.data() + view.size(), value, std::chars_format::fixed);
  if (view.empty() || error != std::errc() || stop != view.data() + view.size()) return std::nullopt;
  return value;
}

// Integer settings that do not convert, or do not fit 16 bits, take their default.
int16_t read_int16(SettingsStore& store, const std::string& key, int16_t fallback) {
  return parse_integer<int16_t>(store.read(key, std::to_string(fallback))).value_or(fallback);
}

void report_missing_install_path(Runtime& runtime) {
  const std::string prompt = std::string("Program Error!\r<Installation Path Not Found!>\r") +
                             "Please remove this program and then install it again.\r\r" +
                             "If the problem continues please contact Dovrane at:\r" + kSupportContact;
  runtime.message_box(prompt, "Quarlyn");
  runtime.end_program();
}

void load_options(SettingsStore& store, Settings& s) {
  s.frame_rate = read_int16(store, "frame_rate", 20);
  s.show_time = store.read("show_time", "1");
  s.soundfx_on = store.read("soundfx_on", "1");
  s.music_on = store.read("music_on", "1");
  s.skip_logo = read_int16(store, "skip_logo", 0);
  s.show_welcome = read_int16(store, "show_welcome", 1);
  s.game_starting_level = read_int16(store, "game_starting_level", 1);
  s.piece_type = read_int16(store, "piece_type", 1);
  s.game_difficulty = read_int16(store, "game_difficulty", 1);
  // The game type indexes the high-score table: anything outside it plays the first type.
  if (s.game_difficulty < 1 || s.game_difficulty > kGameTypes) s.game_difficulty = 1;
  s.screen_blit = read_int16(store, "screen_blit", 0);
  s.game_trigger = read_int16(store, "game_trigger", 0);
}

void load_graphics_files(SettingsStore& store, Settings& s) {
  for (int i = 1; i <= kGraphicsFiles; ++i) s.graphics_files[i] = store.read("Gfiles" + std::to_string(i), "empty");
  if (s.graphics_files[1] == "empty") default_graphics_files(s);
}

// A count that does not convert means "never stored"; one beyond the playlist's capacity keeps
// the entries that fit, and a negative one other than -1 is an empty playlist.
int32_t read_playlist_count(SettingsStore& store) {
  int32_t count = parse_integer<int32_t>(store.read("audio_files_total", "-1")).value_or(-1);
  if (count > kMaxAudioFiles) return kMaxAudioFiles;
  if (count < -1) return 0;
  return count;
}

void load_playlist(SettingsStore& store, Settings& s) {
  s.audio_files_total = read_playlist_count(store);
  if (s.audio_files_total == -1) {
    default_audio_files(s);
    return;
  }
  for (int i = 1; i <= s.audio_files_total; ++i) s.audio_files[i] = store.read("audio_files" + std::to_string(i), "");
}

}  // namespace

void load_settings(Runtime& runtime, Settings& s) {
  SettingsStore& store = runtime.settings_store();
  store.reload();
  s.install_path = store.read("install_path", "empty");
  if (s.install_path == "empty") report_missing_install_path(runtime);
  if (s.install_path.empty() || s.install_path.back() != '/') s.install_path += '/';
  load_options(store, s);
  s.misc_scrambled = store.read("misc", "");
  unscramble_misc(s);
  for (int g = 1; g <= kGameTypes; ++g) load_high_score_places(store, s, g);
  load_graphics_files(store, s);
  load_playlist(store, s);
  s.graphics_browse_path = s.install_path;
  s.music_browse_path = s.install_path;
}

void save_settings(Runtime& runtime, Settings& s) {
  SettingsStore::Entries entries;
  auto put = [&](std::string key, std::string text) { entries.emplace_back(std::move(key), std::move(text)); };
  put("frame_rate", std::to_string(s.frame_rate));
  put("show_time", s.show_time);
  put("music_on", s.music_on);
  put("soundfx_on", s.soundfx_on);
  put("skip_logo", std::to_string(s.skip_logo));
  put("game_starting_level", std::to_string(s.game_starting_level));
  put("piece_type", std::to_string(s.piece_type));
  put("game_difficulty", std::to_string(s.game_difficulty));
  put("screen_blit", std::to_string(s.screen_blit));
  put("game_trigger", std::to_string(s.game_trigger));
  put("show_welcome", std::to_string(s.show_welcome));
  scramble_misc(s);
  put("misc", s.misc_scrambled);
  for (int g = 1; g <= kGameTypes; ++g) {
    for (int n = 1; n <= kPlaces; ++n) {
      put(hiscore_key(g, "Score", n), s.hiscore_score[g][n]);
      put(hiscore_key(g, "Name", n), s.hiscore_name[g][n]);
      put(hiscore_key(g, "Lines", n), s.hiscore_lines[g][n]);
    }
  }
  for (int i = 1; i <= kGraphicsFiles; ++i) put("Gfiles" + std::to_string(i), s.graphics_files[i]);
  put("audio_files_total", std::to_string(s.audio_files_total));
  for (int i = 1; i <= std::min(s.audio_files_total, kMaxAudioFiles); ++i)
    put("audio_files" + std::to_string(i), s.audio_files[i]);
  SettingsStore& store = runtime.settings_store();
  if (!store.save(entries)) {
    std::fprintf(stderr, "quarlyn: settings not saved yet, kept to save later: %s\n", store.problem().c_str());
  }
}

void flush_settings(Runtime& runtime) {
  SettingsStore& store = runtime.settings_store();
  if (!store.write_pending(kFlushWait)) std::fprintf(stderr, "quarlyn: settings not saved: %s\n", store.problem().c_str());
}

SettingsRetry::SettingsRetry(Runtime& runtime) : timer_(runtime) {
  timer_.on_timer = [&store = runtime.settings_store()] { store.write_pending(std::chrono::milliseconds(0)); };
  timer_.set_interval(kRetryEveryMs);
  timer_.set_enabled(true);
}

std::string hiscore_key(int game, const char* field, int place) {
  return "Game" + std::to_string(game) + field + std::to_string(place);
}

std::string hiscore_default(int game, const char* field) {
  if (std::strcmp(field, "Name") == 0) return "<empty>";
  return std::strcmp(field, "Score") == 0 && game == kFortyLineGame ? "99999" : "0";
}

void load_high_score_places(SettingsStore& store, Settings& s, int g) {
  for (int n = 1; n <= kPlaces; ++n) {
    s.hiscore_score[g][n] = store.read(hiscore_key(g, "Score", n), hiscore_default(g, "Score"));
    s.hiscore_name[g][n] = store.read(hiscore_key(g, "Name", n), hiscore_default(g, "Name"));
    s.hiscore_lines[g][n] = store.read(hiscore_key(g, "Lines", n), hiscore_default(g, "Lines"));
  }
}

double setting_number(const std::string& text) { return parse_number(text).value_or(1); }

bool setting_on(const std::string& text) { return setting_number(text) != 0; }

void scramble_misc(Settings& s) {
  if (s.misc_unreadable) return;
  s.misc_scrambled.clear();
  for (size_t i = 1; i <= s.misc_plain.size(); ++i) {
    auto c = static_cast<unsigned char>(s.misc_plain[i - 1]);
    auto k = static_cast<unsigned char>(kMiscKey[i % kMiscKeyLength]);
    unsigned v = c ^ k;
    s.misc_scrambled += static_cast<char>('z' - (v >> 4));
    s.misc_scrambled += static_cast<char>('a' + (v & 15));
  }
}

void unscramble_misc(Settings& s) {
  s.misc_plain.clear();
  s.misc_unreadable = false;
  const std::string& text = s.misc_scrambled;
  auto pair_ok = [&](size_t j) { return text[j] >= 'k' && text[j] <= 'z' && text[j + 1] >= 'a' && text[j + 1] <= 'p'; };
  bool readable = text.size() % 2 == 0;
  for (size_t j = 0; readable && j < text.size(); j += 2) readable = pair_ok(j);
  if (!readable) {
    s.misc_unreadable = true;
    return;
  }
  for (size_t j = 1; j <= text.size() / 2; ++j) {
    unsigned v = ('z' - text[2 * j - 2]) * 16 + (text[2 * j - 1] - 'a');
    auto k = static_cast<unsigned char>(kMiscKey[j % kMiscKeyLength]);
    s.misc_plain += static_cast<char>(v ^ k);
  }
}

}  // namespace quarlyn

// Writes the game's default sounds into a folder: audio.wav (the five sound effects) and the
// MIDI music, title.mid and music1.mid ... music10.mid.
//
//   make_sounds OUTPUT_FOLDER
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "effects.h"
#include "tunes.h"
#include "wav_file.h"

namespace {

struct MusicFile {
  const char* name;
  quarlyn::Song (*compose)();
};

constexpr MusicFile kMusic[] = {
    {"title.mid", quarlyn::compose_title_theme},
    {"music1.mid", quarlyn::compose_piano_waltz},
    {"music2.mid", quarlyn::compose_synth_pop},
    {"music3.mid", quarlyn::compose_folk_jig},
    {"music4.mid", quarlyn::compose_baroque_invention},
    {"music5.mid", quarlyn::compose_jazz_vibes},
    {"music6.mid", quarlyn::compose_bossa_nova},
    {"music7.mid", quarlyn::compose_chiptune},
    {"music8.mid", quarlyn::compose_march},
    {"music9.mid", quarlyn::compose_marimba_dream},
    {"music10.mid", quarlyn::compose_funk},
};

bool write_bytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

bool write_all(const std::filesystem::path& folder, const char* program) {
  std::string wav = (folder / "audio.wav").string();
  if (!quarlyn::write_wav(wav, quarlyn::sound_bank())) {
    std::fprintf(stderr, "%s: cannot write %s\n", program, wav.c_str());
    return false;
  }
  for (const MusicFile& music : kMusic) {
    std::string path = (folder / music.name).string();
    if (!write_bytes(path, music.compose().midi())) {
      std::fprintf(stderr, "%s: cannot write %s\n", program, path.c_str());
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  std::error_code error;
  std::filesystem::create_directories(argv[1], error);
  try {
    return write_all(argv[1], argv[0]) ? 0 : 1;
  } catch (const std::exception& failure) {
    // A mistyped melody or progression surfaces here, naming the offending token.
    std::fprintf(stderr, "%s: %s\n", argv[0], failure.what());
    return 1;
  }
}

// Hostile surroundings: whatever stands where the program reads or writes its files, nothing
// hangs and nothing is lost. Every wait that could hang runs under a watchdog.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "platform/field_reader.h"
#include "platform/picture_files.h"
#include "saver/piece_supply.h"
#include "support/temp_folder.h"
#include "support/watchdog.h"

namespace quarlyn {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::finishes_within;

constexpr auto kHangLimit = 5s;

class Robustness : public ::testing::Test {
 protected:
  std::string fifo(const std::string& name) const {
    const fs::path path = temp_.path() / name;
    EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
    return path.string();
  }

  testing::TempFolder temp_;
};

TEST_F(Robustness, AFifoOrDeviceInPlaceOfADataFileOrPictureIsRefusedAtOnce) {
  Settings settings;
  settings.install_path = temp_.path().string() + "/";
  fifo("pieces.dat");
  fifo("objects.txt");
  const std::string picture = fifo("back1.bmp");
  EXPECT_TRUE(finishes_within(kHangLimit, [&] {
    Game game{};
    load_piece_sequence(game, settings);
    return game.piece_sequence[1] == 0 && !load_piece_shapes(game, settings) && !load_picture(picture) &&
           !load_picture("/dev/zero") && !load_picture(temp_.path()) && !FieldReader::open("/dev/zero");
  }));
}

}  // namespace
}  // namespace quarlyn

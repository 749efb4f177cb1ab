// Hostile surroundings: whatever stands where the program reads or writes its files, and
// whatever other processes do meanwhile, nothing hangs and nothing is lost. Every step that
// could hang runs under a watchdog.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/field_reader.h"
#include "platform/picture_files.h"
#include "platform/settings_store.h"
#include "saver/high_scores.h"
#include "saver/hiscore_dialog.h"
#include "saver/piece_supply.h"
#include "saver/saver_test_support.h"
#include "support/temp_folder.h"
#include "support/watchdog.h"

namespace quarlyn {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::finishes_within;
using testing::stored_text;

constexpr auto kHangLimit = 5s;

std::string read_bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class Robustness : public ::testing::Test {
 protected:
  std::string fifo(const std::string& name) const {
    const fs::path path = temp_.path() / name;
    EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
    return path.string();
  }

  testing::TempFolder temp_;
};

TEST_F(Robustness, AFifoOrDeviceInPlaceOfADataFilePictureOrStoreIsRefusedAtOnce) {
  Settings settings;
  settings.install_path = temp_.path().string() + "/";
  fifo("pieces.dat");
  fifo("objects.txt");
  const std::string picture = fifo("back1.bmp");
  SettingsStore store(fifo("settings.ini"), "Config");
  EXPECT_TRUE(finishes_within(kHangLimit, [&] {
    Game game{};
    load_piece_sequence(game, settings);
    EXPECT_EQ(game.piece_sequence[1], 0);
    EXPECT_FALSE(load_piece_shapes(game, settings));
    EXPECT_FALSE(load_picture(picture));
    EXPECT_FALSE(load_picture("/dev/zero"));
    EXPECT_FALSE(load_picture(temp_.path()));
    EXPECT_FALSE(FieldReader::open("/dev/zero"));
    store.reload();
    EXPECT_FALSE(store.save({{"a", "1"}}));
  }));
}

TEST_F(Robustness, NothingLeftUnderAnOldOrLeftoverNameIsWrittenThroughOrWaitedOn) {
  const fs::path file = temp_.path() / "settings.ini";
  const fs::path precious = temp_.path() / "precious.txt";
  std::ofstream(precious) << "mine";
  std::ofstream(file) << "damage\n[Config]\na=1\n";
  ASSERT_EQ(::link(precious.c_str(), (file.string() + ".tmp").c_str()), 0);
  fifo("settings.ini.damaged");
  fifo("settings.ini.lock");
  fifo("settings.ini.tmp-Ab12Cd");  // from a save killed before it renamed
  SettingsStore store(file, "Config");
  EXPECT_TRUE(finishes_within(kHangLimit, [&] { EXPECT_TRUE(store.save({{"a", "2"}})); }));
  EXPECT_EQ(read_bytes(precious), "mine");
  EXPECT_EQ(stored_text(store, "a"), "2");
  EXPECT_FALSE(fs::exists(file.string() + ".tmp-Ab12Cd"));
  int copies = 0;
  for (const auto& entry : fs::directory_iterator(temp_.path())) {
    copies += entry.path().filename().string().starts_with("settings.ini.damaged-");
  }
  EXPECT_EQ(copies, 1);
}

TEST_F(Robustness, ASaveWaitsOnlyBrieflyForAHeldLockAndWritesItsChangesALittleLater) {
  TestRuntime rt;
  testing::store_keys(rt.settings_store(), {{"install_path", "/opt/quarlyn/"}});
  Settings settings;
  load_settings(rt, settings);
  const std::string lock_file = rt.settings_store().file().string() + ".lock";
  const int held = ::open(lock_file.c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  EXPECT_TRUE(finishes_within(kHangLimit, [&] {
    const SettingsRetry retry(rt);
    settings.frame_rate = 33;
    save_settings(rt, settings);
    EXPECT_EQ(stored_text(rt.settings_store(), "frame_rate"), std::nullopt);
    load_settings(rt, settings);
    EXPECT_EQ(settings.frame_rate, 33) << "a reload still sees the change";
    ::flock(held, LOCK_UN);
    rt.yield_until(rt.time_get_time() + 1500);
    EXPECT_EQ(stored_text(rt.settings_store(), "frame_rate"), "33");
  }));
  ::close(held);
}

// The name-entry dialog answered with `name`.
void answer_with(TestRuntime& runtime, const std::string& name) {
  runtime.on_modal = [name](ModalForm& form) {
    auto& dialog = dynamic_cast<frm_hiscore&>(form);
    dialog.Text1.type_text(name);
    dialog.Command1.Click();
  };
}

void finish_game(testing::SaverHarness& h, int32_t score) {
  h.flags.robot_playing = 0;
  h.saver.game.game_score = score;
  h.saver.game.game_lines = 1;
  stakko_checkhighscore(h.saver);
}

TEST_F(Robustness, TwoInstancesEnteringHighScoresAtOnceKeepEveryEntryInOrder) {
  testing::SaverHarness h;
  constexpr int kGamesEach = 10;
  std::vector<pid_t> children;
  for (const int first : {1, 2}) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Both start from the table as it was when their windows opened: empty.
      answer_with(h.runtime, first == 1 ? "odd" : "even");
      for (int game = 0; game < kGamesEach; ++game) finish_game(h, 100 * (first + 2 * game));
      _exit(h.runtime.settings_store().has_pending() ? 1 : 0);
    }
    children.push_back(child);
  }
  for (const pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  for (int place = 1; place <= kPlaces; ++place) {
    const int score = 100 * (2 * kGamesEach + 1 - place);
    EXPECT_EQ(stored_text(h.runtime.settings_store(), hiscore_key(1, "Score", place)), std::to_string(score));
    EXPECT_EQ(stored_text(h.runtime.settings_store(), hiscore_key(1, "Name", place)), score % 200 ? "odd" : "even");
  }
}

TEST_F(Robustness, AHighScoreThatCannotBeWrittenIsKeptSaidAndWrittenLater) {
  testing::SaverHarness h;
  answer_with(h.runtime, "Ann");
  const SettingsStore& store = h.runtime.settings_store();
  EXPECT_TRUE(finishes_within(kHangLimit, [&] {
    // A disk that takes no more than a few bytes per file.
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit full{512, limit.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &full);
    ::testing::internal::CaptureStderr();
    finish_game(h, 500);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(store.file().string() + ".tmp-"), std::string::npos) << said;
    EXPECT_NE(said.find(std::strerror(EFBIG)), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_EQ(stored_text(store, "Game1Name1"), std::nullopt);
    load_settings(h.runtime, h.settings);
    EXPECT_EQ(h.settings.hiscore_name[1][1], "Ann") << "kept in memory";

    ::setrlimit(RLIMIT_FSIZE, &limit);
    finish_game(h, 400);
    EXPECT_EQ(stored_text(store, "Game1Name1"), "Ann");
    EXPECT_EQ(stored_text(store, "Game1Score2"), "400");
  }));
}

}  // namespace
}  // namespace quarlyn

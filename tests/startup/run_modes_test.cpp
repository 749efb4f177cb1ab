#include "startup/run_modes.h"

#include <gtest/gtest.h>

#include "platform/test/test_runtime.h"
#include "support/store_helpers.h"

namespace quarlyn {
namespace {

class RunModesTest : public ::testing::Test {
 protected:
  RunModesTest() {
    testing::store_keys(rt.settings_store(), {{"install_path", "/opt/quarlyn/"}, {"frame_rate", "25"}});
    windows.show_configuration = [this] {
      shown.push_back("configuration");
      EXPECT_EQ(settings.frame_rate, 25) << "settings are loaded before any window shows";
    };
    windows.show_saver = [this] {
      shown.push_back("saver");
      EXPECT_TRUE(flags.saver_running);
      EXPECT_EQ(flags.started_from_config, 0);
      // The saver runs inside its window's events; it ends a while later.
      rt.after(5000, [this] { flags.saver_running = false; });
    };
  }

  // Runs the entry; true when it ended the program rather than returning.
  bool run(const std::string& command_line) {
    rt.command_line_text = command_line;
    try {
      Main(rt, settings, flags, windows);
    } catch (const ProgramEnded&) {
      return true;
    }
    return false;
  }

  TestRuntime rt;
  Settings settings;
  RunFlags flags;
  ModeWindows windows;
  std::vector<std::string> shown;
};

TEST(RunSwitch, TakesTheFirstTwoCharactersInUpperCase) {
  EXPECT_EQ(run_switch("/s"), "/S");
  EXPECT_EQ(run_switch("/S"), "/S");
  EXPECT_EQ(run_switch(""), "/C");
  EXPECT_EQ(run_switch("/c:1234"), "/C");
  EXPECT_EQ(run_switch("/p 4711"), "/P");
  EXPECT_EQ(run_switch("x"), "X");
}

TEST_F(RunModesTest, SaverModeShowsTheSaverAndEndsWhenItStops) {
  flags.started_from_config = 1;
  EXPECT_TRUE(run("/s"));
  EXPECT_EQ(shown, std::vector<std::string>({"saver"}));
  EXPECT_FALSE(flags.saver_running);
  EXPECT_GE(rt.time_get_time(), 5000);
  EXPECT_LT(rt.yields(), 20) << "the wait sleeps instead of spinning";
}

TEST_F(RunModesTest, ConfigurationModeForCEmptyAndCWithAWindowHandle) {
  for (const std::string line : {"/C", "/c", "", "/c:2345"}) {
    EXPECT_FALSE(run(line)) << line;
  }
  EXPECT_EQ(shown, std::vector<std::string>(4, "configuration"));
}

TEST_F(RunModesTest, OtherSwitchesShowNothing) {
  for (const std::string line : {"/P", "/p 1234", "/A", "/a", "-s", "/X"}) {
    EXPECT_FALSE(run(line)) << line;
  }
  EXPECT_TRUE(shown.empty());
  EXPECT_TRUE(rt.message_boxes.empty());
}

TEST_F(RunModesTest, AnOpenWindowOfTheSameModeStopsIt) {
  rt.open_windows = {"StakkoSaver", "Quarlyn Configuration"};
  EXPECT_FALSE(run("/S"));
  EXPECT_TRUE(run("/C"));
  EXPECT_TRUE(shown.empty());
  EXPECT_FALSE(flags.saver_running);

  rt.open_windows = {"StakkoSaver "};
  EXPECT_TRUE(run("/S"));
  EXPECT_EQ(shown, std::vector<std::string>({"saver"}));
}

TEST_F(RunModesTest, AModeClaimedByAnotherProgramStopsItBeforeItsWindowShows) {
  rt.instances_elsewhere = {"StakkoSaver", "Quarlyn Configuration"};
  EXPECT_FALSE(run("/S"));
  EXPECT_TRUE(run("/C"));
  EXPECT_TRUE(shown.empty());
  EXPECT_FALSE(flags.saver_running);

  rt.instances_elsewhere.clear();
  windows.show_saver = [&] {
    shown.push_back("saver");
    EXPECT_EQ(rt.instance_claims.back(), "StakkoSaver") << "claimed before the window shows";
    flags.saver_running = false;
  };
  EXPECT_TRUE(run("/S"));
  EXPECT_EQ(shown, std::vector<std::string>({"saver"}));
}

TEST_F(RunModesTest, AMissingProgramFolderStopsEveryMode) {
  for (const std::string line : {"/S", "/C", "/P", "/A"}) {
    std::filesystem::remove(rt.settings_store().file());
    rt.message_boxes.clear();
    EXPECT_TRUE(run(line)) << line;
    EXPECT_EQ(rt.message_boxes.size(), 1u) << line;
  }
  EXPECT_TRUE(shown.empty());
}

TEST_F(RunModesTest, TheWindowsFolderEndsInASlash) {
  rt.windows_dir_text = "/home/ann/.local/share/Dovrane Quarlyn";
  run("/P");
  EXPECT_EQ(settings.windows_dir, "/home/ann/.local/share/Dovrane Quarlyn/");
  rt.windows_dir_text = "";
  run("/P");
  EXPECT_EQ(settings.windows_dir, "/");
}

}  // namespace
}  // namespace quarlyn

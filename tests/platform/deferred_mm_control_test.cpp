#include "platform/deferred_mm_control.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/audio_module.h"
#include "platform/test/test_mm_control.h"
#include "platform/test/test_runtime.h"
#include "platform/waiting.h"
#include "support/temp_folder.h"
#include "support/watchdog.h"

namespace quarlyn {
namespace {

// The real controls are the test runtime's, which record what they were told.
class DeferredMMControlTest : public ::testing::Test {
 protected:
  void open(const std::string& file) {
    control_.DeviceType = "WaveAudio";
    control_.FileName = file;
    control_.Command("Open");
  }

  std::vector<std::string> commands() const {
    std::vector<std::string> seen;
    for (const RecordedCommand& command : runtime_.mm_commands) {
      seen.push_back(command.command + " " + command.file_name + " " + std::to_string(command.from));
    }
    return seen;
  }

  TestRuntime runtime_;
  bool real_available_ = true;
  int made_ = 0;
  DeferredMMControl control_{runtime_, [this] {
                               ++made_;
                               return real_available_ ? runtime_.create_mm_control() : nullptr;
                             }};
};

TEST_F(DeferredMMControlTest, NothingIsMadeUntilTheFirstPlayWhichReplaysTheOpen) {
  open("a.wav");
  control_.Command("Stop");
  EXPECT_EQ(made_, 0);
  EXPECT_EQ(control_.Mode(), MMControl::kStopped);

  control_.From = 180;
  control_.Command("Play");
  open("b.wav");
  control_.Command("Play");
  EXPECT_EQ(made_, 1);
  EXPECT_EQ(commands(), (std::vector<std::string>{"Open a.wav 180", "Play a.wav 180", "Open b.wav 180",
                                                  "Play b.wav 180"}));
  EXPECT_NE(control_.Mode(), MMControl::kStopped);
}

TEST_F(DeferredMMControlTest, StatusComesEverySecondWhileOpenWithOrWithoutTheRealControl) {
  int updates = 0;
  control_.StatusUpdate = [&] { ++updates; };
  open("a.wav");
  yield_until_reached(runtime_, 2500);
  EXPECT_EQ(updates, 2);
  control_.Command("Play");
  yield_until_reached(runtime_, 4500);
  EXPECT_EQ(updates, 4);  // the real control's own updates do not come through as well
  control_.Command("Close");
  yield_until_reached(runtime_, 9000);
  EXPECT_EQ(updates, 4);
}

TEST_F(DeferredMMControlTest, WithoutARealControlItStaysSilentAndAsksOnce) {
  real_available_ = false;
  open("a.wav");
  control_.Command("Play");
  control_.Command("Play");
  EXPECT_EQ(made_, 1);
  EXPECT_EQ(control_.Mode(), MMControl::kStopped);
}

TEST(AudioModule, AMissingModuleSaysOnceThatItRunsSilent) {
  TestRuntime runtime;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(load_audio_module(runtime, "no-such-folder", "Quarlyn Test"), nullptr);
  const std::string printed = ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(printed.starts_with("quarlyn: no sound (")) << printed;
  EXPECT_TRUE(printed.ends_with("); running silent\n")) << printed;
}

// dlopen waits for ever on a FIFO and dies by SIGBUS on a module cut short.
TEST(AudioModule, AFifoOrAModuleCutShortLeavesTheProgramSilent) {
  const testing::TempFolder folder;
  const std::filesystem::path fifo = folder.path() / "fifo";
  const std::filesystem::path cut = folder.path() / "cut";
  std::filesystem::create_directories(fifo);
  std::filesystem::create_directories(cut);
  ASSERT_EQ(mkfifo((fifo / kAudioModuleName).c_str(), 0600), 0);
  std::string module(64 << 10, '\0');
  std::ifstream(QUARLYN_AUDIO_MODULE_FILE, std::ios::binary).read(module.data(), std::streamsize(module.size()));
  std::ofstream(cut / kAudioModuleName, std::ios::binary) << module;
  TestRuntime runtime;
  EXPECT_TRUE(testing::finishes_within(std::chrono::seconds(10), [&] {
    EXPECT_EQ(load_audio_module(runtime, fifo, "Quarlyn Test"), nullptr);
    EXPECT_EQ(load_audio_module(runtime, cut, "Quarlyn Test"), nullptr);
  }));
}

}  // namespace
}  // namespace quarlyn

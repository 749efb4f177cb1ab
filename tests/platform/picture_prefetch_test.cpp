#include "platform/picture_prefetch.h"

#include <gtest/gtest.h>

#include <fstream>
#include <latch>
#include <thread>

#include "support/temp_folder.h"

namespace quarlyn {
namespace {

// A "picture" of one pixel whose value is the file's length, recording where it was decoded.
struct RecordingDecoder {
  std::optional<Surface> operator()(const std::string& path) {
    on_worker = std::this_thread::get_id() != caller;
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) return std::nullopt;
    Surface picture(1, 1, static_cast<Pixel>(file.tellg()));
    if (!started) {
      started = true;
      first_decode.count_down();
    }
    return picture;
  }
  std::thread::id caller = std::this_thread::get_id();
  bool on_worker = false;
  bool started = false;
  std::latch first_decode{1};
};

TEST(PicturePrefetchTest, APictureWantedAheadIsDecodedOnTheWorkerAndAFileChangedSinceAgainOnTheCaller) {
  testing::TempFolder folder;
  const std::string path = folder.file("photo.jpg", 3);
  RecordingDecoder decoder;
  PicturePrefetch prefetch([&](const std::string& p) { return decoder(p); });

  prefetch.want({path});
  decoder.first_decode.wait();
  std::optional<Surface> picture = prefetch.take(path);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->pixel(0, 0), 3u);
  EXPECT_TRUE(decoder.on_worker);

  folder.file("photo.jpg", 5);
  picture = prefetch.take(path);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->pixel(0, 0), 5u) << "a file replaced after its decode is read again";
  EXPECT_FALSE(decoder.on_worker);
}

}  // namespace
}  // namespace quarlyn

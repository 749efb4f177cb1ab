#include "platform/settings_store.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "support/scoped_env.h"
#include "support/temp_folder.h"

namespace quarlyn {
namespace {

namespace fs = std::filesystem;
using Entries = SettingsStore::Entries;

const std::string kSection = "Config";

std::string read_bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void write_bytes(const fs::path& file, const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }

mode_t mode_of(const fs::path& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

class SettingsStoreTest : public ::testing::Test {
 protected:
  SettingsStore loaded_store() const {
    SettingsStore store(file_, kSection);
    store.reload();
    return store;
  }
  // Reads every entry back through a store object that has never seen them.
  void expect_stored(const Entries& entries) const {
    SettingsStore store = loaded_store();
    for (const auto& [key, text] : entries) EXPECT_EQ(store.read(key, "<missing>"), text) << "key " << key;
  }

  // The contents of the dated copies of damaged files, oldest first.
  std::vector<std::string> damaged_copies() const {
    std::vector<fs::path> names;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      if (entry.path().filename().string().starts_with("settings.ini.damaged-")) names.push_back(entry.path());
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> contents;
    for (const fs::path& name : names) contents.push_back(read_bytes(name));
    return contents;
  }

  testing::TempFolder temp_;
  const fs::path folder_ = temp_.path();
  const fs::path file_ = folder_ / "settings.ini";
};

TEST(SettingsEscapeTest, WritesTheDocumentedEscapesAndKeepsOthersAsTheyStand) {
  EXPECT_EQ(escape_setting_value(" a  b "), "\\sa  b\\s");
  EXPECT_EQ(escape_setting_value("a\\b\n\r\t"), "a\\\\b\\n\\r\\t");
  EXPECT_EQ(escape_setting_value(std::string("\0\x1f\x7f\x80\xff", 5)), "\\x00\\x1F\\x7F\\x80\\xFF");
  EXPECT_EQ(escape_setting_value("ü€😀=;#[x]"), "ü€😀=;#[x]");
  // Truncated, overlong and surrogate sequences are not valid UTF-8.
  EXPECT_EQ(escape_setting_value("\xE2\x82"), "\\xE2\\x82");
  EXPECT_EQ(escape_setting_value("\xC0\xAF"), "\\xC0\\xAF");
  EXPECT_EQ(escape_setting_value("\xED\xA0\x80"), "\\xED\\xA0\\x80");
  EXPECT_EQ(unescape_setting_value("\\xff\\xFF\\s"), "\xff\xff ");
  for (const char* hand_written : {"AC\\DC", "\\q", "\\x4", "\\xZZ", "a\\", "\\x", "\\"}) {
    EXPECT_EQ(unescape_setting_value(hand_written), hand_written);
  }
  EXPECT_EQ(unescape_setting_value("/a\\b.bmp\\\\\\x41\\y"), "/a\\b.bmp\\A\\y");
}

TEST_F(SettingsStoreTest, NastyValuesRoundTripThroughTheFile) {
  const std::vector<std::string> values = {
      "", " lead", "trail ", " both ", " ", "   ", "=", "a=b=c", ";", "#", "[x]", "; no comment", "# neither",
      "\\", "back\\", "\\\\", "\\s", "\\x41", "\r", "\n", "\r\n", "line\r\n", "\t", "\t tab \t",
      std::string("\0", 1), std::string("a\0b", 3), "\x7f", "\x80", "\xff", "\xE2\x82", "\xF0\x9F\x98", "ü€😀",
      " ü ", "\xC3\xBC\xC3"};
  Entries entries;
  for (std::size_t i = 0; i < values.size(); ++i) entries.emplace_back("key" + std::to_string(i), values[i]);
  ASSERT_TRUE(SettingsStore(file_, kSection).save(entries));
  expect_stored(entries);
}

TEST_F(SettingsStoreTest, RandomByteStringsRoundTripThroughTheFile) {
  const std::vector<std::string> pieces = {" ", "\t", "\\", "\r", "\n", "=", "#", "[", "s", "x", "ü", "€", "😀"};
  std::mt19937 random(20240611);
  Entries entries;
  for (int i = 0; i < 400; ++i) {
    std::string value;
    for (std::size_t n = random() % 20; n > 0; --n) {
      if (random() % 2) {
        value.push_back(static_cast<char>(random() % 256));
      } else {
        const std::string& piece = pieces[random() % pieces.size()];
        value.insert(value.end(), piece.begin(), piece.end());
      }
    }
    entries.emplace_back(std::string("k").append(std::to_string(i)), value);
  }
  ASSERT_TRUE(SettingsStore(file_, kSection).save(entries));
  expect_stored(entries);
}

TEST_F(SettingsStoreTest, DamagedFileKeepsReadableLinesAndIsCopiedAsideBeforeTheFirstSave) {
  const std::string original = "# top\r\n[Other]\r\nshared=other\r\n\r\n[Config]\r\ngood=1\r\ngarbage line\r\n" +
                               std::string("\0\0\xff\0\n", 5) +
                               "=no key\nbad=\\q\nshort=\\x4\ntrailing=abc\\\n"
                               "  ; indented comment\n \tspaced key \t=  \\sv a l\\s \t\ndup=first\ndup=second\n"
                               "[Later]\ngood=later\ntail=no line end";
  write_bytes(file_, original);
  SettingsStore store = loaded_store();
  EXPECT_EQ(store.read("good", "?"), "1");
  EXPECT_EQ(store.read("spaced key", "?"), " v a l ");
  EXPECT_EQ(store.read("dup", "?"), "first");
  EXPECT_EQ(store.read("bad", "?"), "\\q");
  EXPECT_EQ(store.read("trailing", "?"), "abc\\");
  for (const char* elsewhere_or_unreadable : {"shared", "tail", ""}) {
    EXPECT_EQ(store.read(elsewhere_or_unreadable, "?"), "?") << elsewhere_or_unreadable;
  }

  ASSERT_TRUE(store.save({{"good", "2"}, {"new", "n"}}));
  EXPECT_EQ(damaged_copies(), std::vector<std::string>{original});
  EXPECT_EQ(read_bytes(file_),
            "# top\n[Other]\nshared=other\n\n[Config]\ngood=2\nbad=\\\\q\nshort=\\\\x4\ntrailing=abc\\\\\n"
            "  ; indented comment\nspaced key=\\sv a l\\s\ndup=first\nnew=n\n[Later]\ngood=later\ntail=no line end\n");

  // The repaired file is not damaged, so the copy of the original stays alone.
  ASSERT_TRUE(store.save({{"new", "m"}}));
  EXPECT_EQ(damaged_copies(), std::vector<std::string>{original});
  expect_stored({{"good", "2"}, {"new", "m"}, {"spaced key", " v a l "}});
}

TEST_F(SettingsStoreTest, EachDamagedFileGetsItsOwnCopyAndOnlyTheNewestFewStay) {
  std::vector<std::string> damaged;
  for (int round = 1; round <= 5; ++round) {
    damaged.push_back("damage " + std::to_string(round) + "\n[Config]\na=" + std::to_string(round) + "\n");
    write_bytes(file_, damaged.back());
    ASSERT_TRUE(SettingsStore(file_, kSection).save({{"b", "1"}}));
  }
  EXPECT_EQ(damaged_copies(), std::vector<std::string>(damaged.end() - 3, damaged.end()));
}

TEST_F(SettingsStoreTest, AHandEditedFileReadsAsWritten) {
  write_bytes(file_, "\xEF\xBB\xBF[Config]\nGame1Name1=AC\\DC\nGfiles1=/home/me/a\\b.bmp\n");
  SettingsStore store = loaded_store();
  EXPECT_EQ(store.read("Game1Name1", "?"), "AC\\DC");
  EXPECT_EQ(store.read("Gfiles1", "?"), "/home/me/a\\b.bmp");
  ASSERT_TRUE(store.save({{"x", "1"}}));
  EXPECT_TRUE(damaged_copies().empty());
  expect_stored({{"Game1Name1", "AC\\DC"}, {"Gfiles1", "/home/me/a\\b.bmp"}, {"x", "1"}});
}

// A mark stays where it was; a line beginning with its bytes that moves to the top (the
// unreadable line before it is left out) gets one in front, so the next read sees the same line.
TEST_F(SettingsStoreTest, AByteOrderMarkIsKeptAndALineBeginningWithItsBytesStaysItself) {
  const std::string mark = "\xEF\xBB\xBF";
  write_bytes(file_, mark + "[Config]\na=1\n");
  ASSERT_TRUE(loaded_store().save({{"a", "2"}}));
  EXPECT_EQ(read_bytes(file_), mark + "[Config]\na=2\n");

  write_bytes(file_, "\xFE\n" + mark + "=y\n");
  ASSERT_TRUE(loaded_store().save({{"x", "1"}}));
  const std::string saved = read_bytes(file_);
  EXPECT_EQ(saved, mark + mark + "=y\n[Config]\nx=1\n");
  ASSERT_TRUE(loaded_store().save({{"x", "1"}}));
  EXPECT_EQ(read_bytes(file_), saved);
}

TEST_F(SettingsStoreTest, AStoreThatIsALinkIsReplacedAtItsTarget) {
  fs::create_directory(folder_ / "dotfiles");
  const fs::path target = folder_ / "dotfiles" / "quarlyn.ini";
  write_bytes(target, "[Config]\na=1\n");
  fs::create_symlink("dotfiles/quarlyn.ini", file_);
  ASSERT_TRUE(loaded_store().save({{"a", "2"}}));
  EXPECT_TRUE(fs::is_symlink(file_));
  EXPECT_EQ(read_bytes(target), "[Config]\na=2\n");
}

TEST_F(SettingsStoreTest, AHugeFileIsReadOnlyInPartAndKeptAsideWhole) {
  const std::string head = "[Config]\na=1\n";
  std::string huge = head + std::string(SettingsStore::kMaxFileBytes, '#') + "\nlate=1\n";
  write_bytes(file_, huge);
  SettingsStore store = loaded_store();
  EXPECT_EQ(store.read("a", "?"), "1");
  EXPECT_EQ(store.read("late", "?"), "?");
  ASSERT_TRUE(store.save({{"b", "2"}}));
  EXPECT_EQ(damaged_copies(), std::vector<std::string>{huge});
  EXPECT_EQ(read_bytes(file_), head + "b=2\n");
}

TEST_F(SettingsStoreTest, TheSystemLayerFillsInWhatTheUsersFileLacksAndIsNeverWritten) {
  fs::create_directories(folder_ / "site" / "first");
  const fs::path first = folder_ / "site" / "first" / "settings.ini";
  const fs::path second = folder_ / "site" / "second.ini";
  write_bytes(first, "[Config]\ninstall_path=/first/\nlevel=1\n");
  write_bytes(second, "[Config]\ninstall_path=/second/\nsound=on\n");
  write_bytes(file_, "[Config]\nlevel=7\n");
  SettingsStore store(file_, kSection, {first, second});
  store.reload();
  EXPECT_EQ(store.read("install_path", "?"), "/first/");
  EXPECT_EQ(store.read("level", "?"), "7");
  EXPECT_EQ(store.read("sound", "?"), "on");
  ASSERT_TRUE(store.save({{"install_path", "/first/"}, {"sound", "off"}}));
  EXPECT_EQ(read_bytes(file_), "[Config]\nlevel=7\nsound=off\n");
  EXPECT_EQ(read_bytes(first), "[Config]\ninstall_path=/first/\nlevel=1\n");
  EXPECT_FALSE(fs::exists(folder_ / "site" / "first" / "settings.ini.lock"));
}

TEST_F(SettingsStoreTest, AMissingDamagedHugeOrFifoSystemFileChangesNothing) {
  const fs::path damaged = folder_ / "damaged.ini";
  const fs::path huge = folder_ / "huge.ini";
  const fs::path fifo = folder_ / "fifo.ini";
  write_bytes(damaged, std::string("[Config]\n\0\xFF", 11) + "install_path\n");
  write_bytes(huge, "[Config]\ninstall_path=/huge/\n" + std::string(SettingsStore::kMaxFileBytes, '#'));
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  write_bytes(file_, "[Config]\nlevel=7\n");
  SettingsStore store(file_, kSection, {folder_ / "missing.ini", damaged, huge, fifo});
  store.reload();
  EXPECT_EQ(store.read("install_path", "<missing>"), "<missing>");
  EXPECT_EQ(store.read("level", "?"), "7");
  ASSERT_TRUE(store.save({{"sound", "off"}}));
  EXPECT_EQ(read_bytes(file_), "[Config]\nlevel=7\nsound=off\n");
  EXPECT_TRUE(damaged_copies().empty());
}

TEST(SettingsDefaultFileTest, SystemLayerIsXdgConfigDirsInOrderThenTheInstallsOwnFolder) {
  testing::ScopedEnv dirs("XDG_CONFIG_DIRS", "/site:relative::/vendor/");
  const std::vector<fs::path> files = SettingsStore::system_files("app");
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(files[0], "/site/app/settings.ini");
  EXPECT_EQ(files[1], "/vendor/app/settings.ini");
  EXPECT_TRUE(files[2].is_absolute());
  EXPECT_TRUE(files[2].string().ends_with("/xdg/app/settings.ini"));
  testing::ScopedEnv unset("XDG_CONFIG_DIRS", std::nullopt);
  EXPECT_EQ(SettingsStore::system_files("app").front(), "/etc/xdg/app/settings.ini");
}

TEST_F(SettingsStoreTest, SectionIsCreatedAtTheEndWhenAbsent) {
  write_bytes(file_, "; mine\n[Other]\na=1\n");
  ASSERT_TRUE(loaded_store().save({{"a", "2"}, {"b", " "}}));
  EXPECT_EQ(read_bytes(file_), "; mine\n[Other]\na=1\n[Config]\na=2\nb=\\s\n");
  EXPECT_TRUE(damaged_copies().empty());
}

TEST_F(SettingsStoreTest, SaveKeepsTextsThatAnotherWriterChangedSinceWeReadThem) {
  ASSERT_TRUE(SettingsStore(file_, kSection).save({{"a", "1"}, {"k", "old"}, {"j", "old"}}));
  SettingsStore mine = loaded_store();
  Entries known;
  for (const char* key : {"a", "k", "j", "missing"}) known.emplace_back(key, mine.read(key, "fallback"));

  ASSERT_TRUE(loaded_store().save({{"k", "theirs"}, {"missing", "theirs"}}));
  known[2].second = "mine";
  ASSERT_TRUE(mine.save(known));

  expect_stored({{"a", "1"}, {"k", "theirs"}, {"j", "mine"}, {"missing", "theirs"}});
  EXPECT_EQ(mine.read("k", "?"), "theirs");
  EXPECT_EQ(mine.read("missing", "?"), "theirs");
}

TEST_F(SettingsStoreTest, WithinOneProcessSavingEqualsWritingEveryKey) {
  const std::string original = "# c\n[Config]\na=1\nb=2\n[Other]\nx=y\n";
  write_bytes(file_, original);
  SettingsStore store = loaded_store();
  const Entries entries = {{"a", store.read("a", "")}, {"b", "changed"}, {"c", store.read("c", "3")}, {"b", "last"}};
  ASSERT_TRUE(store.save(entries));
  const std::string saved = read_bytes(file_);
  EXPECT_EQ(saved, "# c\n[Config]\na=1\nb=last\nc=3\n[Other]\nx=y\n");

  write_bytes(file_, original);
  ASSERT_TRUE(SettingsStore(file_, kSection).save(entries));
  EXPECT_EQ(read_bytes(file_), saved);
}

TEST_F(SettingsStoreTest, CreatesPrivateFoldersAndKeepsAnExistingFilesMode) {
  const fs::path nested = folder_ / "one" / "two" / "settings.ini";
  SettingsStore store(nested, kSection);
  store.reload();
  EXPECT_EQ(store.read("a", "fallback"), "fallback");
  ASSERT_TRUE(store.save({{"a", "1"}}));
  EXPECT_EQ(mode_of(folder_ / "one"), 0700u);
  EXPECT_EQ(mode_of(folder_ / "one" / "two"), 0700u);
  EXPECT_EQ(mode_of(nested), 0600u);

  ASSERT_EQ(::chmod(nested.c_str(), 0640), 0);
  ASSERT_TRUE(store.save({{"a", "2"}}));
  EXPECT_EQ(mode_of(nested), 0640u);
  EXPECT_FALSE(fs::exists(nested.string() + ".tmp"));
}

TEST_F(SettingsStoreTest, FailedSaveLeavesTheStoreUnchanged) {
  SettingsStore store(file_, kSection);
  ASSERT_TRUE(store.save({{"a", "1"}}));
  const std::string before = read_bytes(file_);
  for (const char* unwritable_key : {"", "x=y", " lead", "trail\t", "#c", ";c", "[s]", "line\nbreak"}) {
    EXPECT_FALSE(store.save({{"a", "2"}, {unwritable_key, "v"}})) << unwritable_key;
  }
  EXPECT_FALSE(store.has_pending()) << "entries that can never be stored are not kept";
  EXPECT_EQ(store.read("a", "?"), "1");
  SettingsStore below_a_file(file_ / "below-a-file.ini", kSection);
  EXPECT_FALSE(below_a_file.save({{"a", "2"}}));
  EXPECT_EQ(below_a_file.problem(), file_.string() + ": " + std::strerror(ENOTDIR));
  EXPECT_EQ(read_bytes(file_), before);
}

// A process ending while another holds the lock keeps what it changed for the next load, which
// merges it as that process's changes: keys it did not change keep what others wrote since.
TEST_F(SettingsStoreTest, ChangesHeldUpByALockAtTheEndAreMergedByTheNextLoad) {
  ASSERT_TRUE(SettingsStore(file_, kSection).save({{"frame_rate", "20"}, {"show_time", "1"}, {"score", "10"}}));
  SettingsStore ending = loaded_store();
  for (const char* key : {"frame_rate", "show_time"}) ending.read(key, "");
  const int held = ::open((file_.string() + ".lock").c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  EXPECT_FALSE(ending.save({{"frame_rate", "30"}, {"show_time", "1"}}, std::chrono::milliseconds(0)));
  ending.queue([](SettingsStore::Keys& keys) { keys.write("score", keys.read("score", "") + "0"); });
  EXPECT_TRUE(ending.keep_pending(std::chrono::milliseconds(0)));
  ::close(held);
  write_bytes(file_, "[Config]\nframe_rate=20\nshow_time=0\nscore=10\n");

  expect_stored({{"frame_rate", "30"}, {"show_time", "0"}, {"score", "100"}});
  EXPECT_EQ(read_bytes(file_), "[Config]\nframe_rate=30\nshow_time=0\nscore=100\n");
  for (const auto& entry : fs::directory_iterator(folder_)) {
    EXPECT_FALSE(entry.path().filename().string().starts_with("settings.ini.journal-")) << entry.path();
  }
}

TEST(SettingsDefaultFileTest, UsesXdgConfigHomeOnlyWhenItIsAbsolute) {
  const auto saved = [](const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
  };
  const std::optional<std::string> xdg = saved("XDG_CONFIG_HOME");
  const std::optional<std::string> home = saved("HOME");
  ::setenv("HOME", "/home/u", 1);
  ::setenv("XDG_CONFIG_HOME", "/xdg", 1);
  EXPECT_EQ(SettingsStore::default_file("app"), "/xdg/app/settings.ini");
  ::setenv("XDG_CONFIG_HOME", "relative", 1);
  EXPECT_EQ(SettingsStore::default_file("app"), "/home/u/.config/app/settings.ini");
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(SettingsStore::default_file("app"), "/home/u/.config/app/settings.ini");
  for (const auto& [name, value] : {std::pair{"XDG_CONFIG_HOME", xdg}, std::pair{"HOME", home}}) {
    value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
  }
}

// ---- Real processes ----

constexpr int kCrashKeys = 760;

std::string generation_value(int generation, int key) { return std::to_string(generation) + "/" + std::to_string(key); }

Entries generation_entries(int generation) {
  Entries entries;
  for (int key = 0; key < kCrashKeys; ++key) {
    entries.emplace_back("key" + std::to_string(key), generation_value(generation, key));
  }
  return entries;
}

// Runs in a forked child until it is killed; it must never return into the test framework.
[[noreturn]] void save_generations(const fs::path& file, int first_generation) {
  SettingsStore store(file, kSection);
  for (int generation = first_generation; generation < first_generation + 100000; ++generation) {
    store.save(generation_entries(generation));
  }
  _exit(0);
}

ino_t inode_of(const fs::path& file) {
  struct stat status {};
  return ::stat(file.c_str(), &status) == 0 ? status.st_ino : 0;
}

// Each save replaces the file, so a new inode means the writer has finished one.
void wait_for_a_finished_save(const fs::path& file, ino_t before) {
  for (int tries = 0; tries < 10000 && inode_of(file) == before; ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

TEST_F(SettingsStoreTest, KilledWriterLeavesOneCompleteGeneration) {
  ASSERT_TRUE(SettingsStore(file_, kSection).save(generation_entries(0)));
  std::mt19937 random(4242);
  std::uniform_int_distribution<int> delay_us(0, 30000);
  int last_generation = 0;
  int changes = 0;
  for (int round = 1; round <= 40; ++round) {
    const ino_t before = inode_of(file_);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) save_generations(file_, round * 100000);
    // On a slow machine the writer may need longer than any delay for its first save: every
    // other round waits for one, so kills also land between later saves.
    if (round % 2 == 0) wait_for_a_finished_save(file_, before);
    std::this_thread::sleep_for(std::chrono::microseconds(delay_us(random)));
    ASSERT_EQ(::kill(child, SIGKILL), 0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);

    SettingsStore store = loaded_store();
    const int generation = std::atoi(store.read("key0", "").c_str());
    for (int key = 0; key < kCrashKeys; ++key) {
      ASSERT_EQ(store.read("key" + std::to_string(key), "<missing>"), generation_value(generation, key))
          << "round " << round;
    }
    changes += generation != last_generation;
    last_generation = generation;
  }
  EXPECT_GT(changes, 0) << "the writer never got a save done before it was killed";
}

constexpr int kWriterKeys = 10;
constexpr int kWriterSaves = 200;

std::string writer_key(char writer, int key) { return std::string(1, writer) + std::to_string(key); }
std::string writer_value(char writer, int save) { return std::string(1, writer) + " save " + std::to_string(save); }

// Runs in a forked child: reads every key once, then keeps saving all of them, changing only
// its own, until everything is written.
[[noreturn]] void save_own_keys(const fs::path& file, char own, char other) {
  SettingsStore store(file, kSection);
  store.reload();
  std::map<std::string, std::string> known;
  for (const char writer : {own, other}) {
    for (int key = 0; key < kWriterKeys; ++key) {
      known[writer_key(writer, key)] = store.read(writer_key(writer, key), "");
    }
  }
  // A save may find the lock taken for longer than it waits; its keys then go with a later one.
  for (int save = 1; save <= kWriterSaves; ++save) {
    for (int key = 0; key < kWriterKeys; ++key) known[writer_key(own, key)] = writer_value(own, save);
    store.save(Entries(known.begin(), known.end()));
  }
  _exit(store.write_pending(std::chrono::seconds(10)) ? 0 : 1);
}

TEST_F(SettingsStoreTest, InterleavedWritersKeepEachOthersKeys) {
  Entries initial;
  Entries expected;
  for (const char writer : {'a', 'b'}) {
    for (int key = 0; key < kWriterKeys; ++key) {
      initial.emplace_back(writer_key(writer, key), "initial");
      expected.emplace_back(writer_key(writer, key), writer_value(writer, kWriterSaves));
    }
  }
  ASSERT_TRUE(SettingsStore(file_, kSection).save(initial));
  std::vector<pid_t> children;
  for (const auto& [own, other] : {std::pair{'a', 'b'}, std::pair{'b', 'a'}}) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) save_own_keys(file_, own, other);
    children.push_back(child);
  }
  for (const pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  expect_stored(expected);
}

}  // namespace
}  // namespace quarlyn

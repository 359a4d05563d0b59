// The portability layer on its own: libraries, threads, file identities,
// locks and the removal a dying process does.
#include "sim/platform/platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "sim/platform/file_identity.h"
#include "sim/platform/file_lock.h"
#include "tests/support.h"

namespace {

namespace fs = std::filesystem;
namespace platform = vsim::platform;

TEST(PlatformTest, LibrariesOpenResolveAndSayWhyNot) {
  test::ScratchDirectory scratch;
  std::string why;
  void* module = platform::OpenLibrary(MODULE_PATH, false, why);
  ASSERT_NE(module, nullptr) << why;
  EXPECT_NE(platform::LibrarySymbol(module, "ovcInit"), nullptr);
  EXPECT_EQ(platform::LibrarySymbol(module, "NoSuchExport"), nullptr);
  platform::CloseLibrary(module);
  { std::ofstream("text.so") << "no library"; }
  EXPECT_EQ(platform::OpenLibrary((fs::current_path() / "text.so").string(), false, why), nullptr);
  EXPECT_FALSE(why.empty()) << "the loader's reason";
}

TEST(PlatformTest, ThreadsAreNamedByNumber) {
  const std::string here = platform::CurrentThreadName();
  EXPECT_EQ(here.rfind("thread ", 0), 0u) << here;
  std::string there;
  std::thread([&there] { there = platform::CurrentThreadName(); }).join();
  EXPECT_NE(there, here) << "another thread, another number";
}

TEST(PlatformTest, FilesAreIdentifiedWhateverTheSpelling) {
  test::ScratchDirectory scratch;
  fs::create_directories("a/b");
  { std::ofstream("a/f.txt") << "x"; }
  platform::FileIdentity one, two, three;
  std::string why;
  ASSERT_TRUE(platform::IdentifyFile("a/f.txt", one, why)) << why;
  ASSERT_TRUE(platform::IdentifyFile("a/b/../f.txt", two, why)) << why;
  EXPECT_EQ(one, two);
  EXPECT_TRUE(one.rest.empty()) << "an existing file is itself";
  ASSERT_TRUE(platform::IdentifyFile("a/new/g.txt", three, why)) << why;
  EXPECT_EQ(three.rest, "new/g.txt") << "a file not yet there: its folder and the rest of its path";
  EXPECT_NE(three, one);
}

TEST(PlatformTest, ALockIsTakenOnceAndItsFileGoesWithIt) {
  test::ScratchDirectory scratch;
  int holder = 0;
  std::string why;
  {
    platform::FileLock lock;
    EXPECT_EQ(lock.Take("held.lock", holder, why), platform::FileLock::Outcome::kTaken) << why;
    EXPECT_TRUE(fs::exists("held.lock"));
  }
  EXPECT_FALSE(fs::exists("held.lock"));
  platform::FileLock lock;
  EXPECT_EQ(lock.Take("nowhere/held.lock", holder, why), platform::FileLock::Outcome::kFailed);
  EXPECT_NE(why.find("cannot make the lock file nowhere/held.lock"), std::string::npos) << why;
}

TEST(PlatformTest, ADyingProcessRemovesAFileAtOnce) {
  test::ScratchDirectory scratch;
  { std::ofstream("half.partial") << "half"; }
  platform::RemoveFileNow("half.partial", -1);
  EXPECT_FALSE(fs::exists("half.partial"));
  EXPECT_TRUE(platform::ProcessExists(platform::CurrentProcessId()));
  EXPECT_FALSE(platform::ProcessExists(999'999'999));
}

}  // namespace

// The portability layer on its own: libraries, threads, file identities,
// locks, the environment, child processes and the removal a dying process
// does.
#include "sim/platform/platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "sim/platform/child_process.h"
#include "sim/platform/fatal_signals.h"
#include "sim/platform/file_identity.h"
#include "sim/platform/file_lock.h"
#include "sim/platform/library.h"
#include "sim/platform/pause_points.h"
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

TEST(PlatformTest, ALibraryIsOpenForItsObjectsLife) {
  test::ScratchDirectory scratch;
  std::string why;
  platform::Library library;
  EXPECT_FALSE(library.IsOpen());
  EXPECT_EQ(library.Symbol("ovcInit"), nullptr) << "nothing is open";
  ASSERT_TRUE(library.Open(MODULE_PATH, false, why)) << why;
  EXPECT_TRUE(library.IsOpen());
  EXPECT_NE(library.Symbol("ovcInit"), nullptr);
  EXPECT_EQ(library.Symbol("NoSuchExport"), nullptr);
  library.Close();
  EXPECT_FALSE(library.IsOpen());
  EXPECT_EQ(library.Symbol("ovcInit"), nullptr);
}

TEST(PlatformTest, ALibraryIsRefusedBeforeTheLoaderWhenItIsNoFile) {
  test::ScratchDirectory scratch;
  fs::create_directories(std::string("folder") + platform::kLibrarySuffix);
  platform::Library library;
  std::string why;
  EXPECT_FALSE(library.Open(std::string("folder") + platform::kLibrarySuffix, false, why));
  EXPECT_EQ(why, "not a regular file");
  why.clear();
  EXPECT_FALSE(library.Open(std::string("missing") + platform::kLibrarySuffix, false, why));
  EXPECT_FALSE(why.empty()) << "the loader's reason";
}

// A bare name is the file in the working folder, as a user who names it
// there means, not one the system's library path would find.
TEST(PlatformTest, ALibraryByABareNameIsTheOneInTheWorkingFolder) {
  test::ScratchDirectory scratch;
  const std::string bare = std::string("copied") + MODULE_SUFFIX;
  fs::copy_file(EMPTY_PATH, bare);
  platform::Library library;
  std::string why;
  ASSERT_TRUE(library.Open(bare, false, why)) << why;
  EXPECT_NE(library.Symbol("ovcInit"), nullptr);
}

TEST(PlatformTest, TheEnvironmentReachesTheProgramsThisProcessRuns) {
  platform::SetEnvironment("VSIM_PLATFORM_TEST", "set here");
  const char* value = std::getenv("VSIM_PLATFORM_TEST");
  ASSERT_NE(value, nullptr);
  EXPECT_STREQ(value, "set here");
  platform::SetEnvironment("VSIM_PLATFORM_TEST", "");
  value = std::getenv("VSIM_PLATFORM_TEST");
  EXPECT_TRUE(value == nullptr || *value == '\0') << value;
}

TEST(PlatformTest, AChildsOutputAndExitAreCollectedAndItsFileGoes) {
  test::ScratchDirectory scratch;
  const std::string here = fs::current_path().string();
  const platform::ChildOutcome ok = platform::RunChild({VESSELSIM_PATH, "--version"}, 60, here);
  ASSERT_TRUE(ok.started);
  EXPECT_FALSE(ok.crashed);
  EXPECT_FALSE(ok.timed_out);
  EXPECT_EQ(ok.exit_code, 0);
  EXPECT_EQ(ok.how, "exit 0");
  EXPECT_NE(ok.output.find("vesselsim 1.1"), std::string::npos) << ok.output;
  const platform::ChildOutcome bad = platform::RunChild({VESSELSIM_PATH, "fly"}, 60, here);
  EXPECT_EQ(bad.exit_code, 2) << bad.output;
  EXPECT_EQ(bad.how, "exit 2");
  std::string left;
  for (const auto& entry : fs::directory_iterator(here))
    left += entry.path().filename().string() + " ";
  EXPECT_EQ(left, "") << "no output file is left";
}

TEST(PlatformTest, EachChildsOutputFileIsFreshAndTakenWhole) {
  test::ScratchDirectory scratch;
  const std::string first = platform::detail::ChildOutputFile(".");
  const std::string second = platform::detail::ChildOutputFile(".");
  EXPECT_NE(first, second);
  { std::ofstream(first, std::ios::binary) << "line one\nline two\n"; }
  EXPECT_EQ(platform::detail::TakeChildOutput(first), "line one\nline two\n");
  EXPECT_FALSE(fs::exists(first));
  EXPECT_EQ(platform::detail::TakeChildOutput(second), "") << "a child that wrote nothing";
}

TEST(PlatformTest, ALockReleasedIsTakenAgain) {
  test::ScratchDirectory scratch;
  int holder = 0;
  std::string why;
  platform::FileLock lock;
  ASSERT_EQ(lock.Take("a.lock", holder, why), platform::FileLock::Outcome::kTaken) << why;
  EXPECT_TRUE(fs::exists("a.lock"));
  lock.Release();
  EXPECT_FALSE(fs::exists("a.lock"));
  lock.Release();
  ASSERT_EQ(lock.Take("b.lock", holder, why), platform::FileLock::Outcome::kTaken) << why;
  EXPECT_TRUE(fs::exists("b.lock"));
}

TEST(PlatformTest, APauseNapsItsTimeAndSeesNoSignalWhereNoneWaits) {
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  platform::detail::Nap(30);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(30));
  EXPECT_FALSE(platform::detail::SignalPending());
  // Unset, a pause point returns at once.
  const auto before = Clock::now();
  platform::PausePoint("mid-write");
  EXPECT_LT(Clock::now() - before, std::chrono::seconds(1));
}

// The process's last words are said once, whatever signals follow: this
// process has none installed, and after this call never will.
TEST(PlatformTest, LastWordsAreSaidOnlyOnce) {
  EXPECT_TRUE(platform::detail::SpeakLastWords("SIGTERM", true));
  EXPECT_FALSE(platform::detail::SpeakLastWords("SIGSEGV", false));
}

}  // namespace

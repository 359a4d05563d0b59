// The file system the host reads and writes through: the system's own, the
// wrapper that fault-injecting file systems derive from, and scripts read
// through a file system whose reads fail.
#include "sim/files/file_system.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "sim/faults/refusing_files.h"
#include "sim/script/parser.h"
#include "tests/support.h"

namespace {

namespace fs = std::filesystem;

void Write(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

const std::string kReadFailure = std::strerror(EIO);

struct TypeCase {
  const char* name;
  const char* path;
  vsim::FileType type;
};

class SystemFileTypes : public ::testing::TestWithParam<TypeCase> {};

TEST_P(SystemFileTypes, TellWhatStandsAtAPath) {
  test::ScratchDirectory scratch;
  fs::create_directories("folder");
  Write("file.txt", "x");
  std::string why;
  EXPECT_EQ(vsim::SystemFiles().TypeOf(GetParam().path, why), GetParam().type);
  if (GetParam().type == vsim::FileType::kMissing) {
    EXPECT_EQ(why, std::strerror(ENOENT)) << "the system's own reason";
  }
}

INSTANTIATE_TEST_SUITE_P(
    FileSystem, SystemFileTypes,
    ::testing::Values(TypeCase{"Missing", "nothing.txt", vsim::FileType::kMissing},
                      TypeCase{"MissingFolder", "nowhere/nothing.txt", vsim::FileType::kMissing},
                      TypeCase{"Regular", "file.txt", vsim::FileType::kRegular},
                      TypeCase{"Folder", "folder", vsim::FileType::kFolder}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileSystem, ReadsAWholeFileByteForByte) {
  test::ScratchDirectory scratch;
  // Past one block of reading, with line ends and NUL bytes kept.
  std::string text;
  for (int i = 0; i < 30'000; ++i) text += "line\r\n" + std::string(1, static_cast<char>(i % 7));
  Write("big.bin", text);
  std::string read = "stale";
  std::string why;
  ASSERT_EQ(vsim::SystemFiles().ReadFile("big.bin", text.size(), read, why),
            vsim::ReadOutcome::kRead)
      << why;
  EXPECT_EQ(read, text);
  Write("empty.txt", "");
  ASSERT_EQ(vsim::SystemFiles().ReadFile("empty.txt", 10, read, why), vsim::ReadOutcome::kRead);
  EXPECT_EQ(read, "");
}

TEST(FileSystem, AFileLargerThanTheLimitIsRefusedAndNothingKept) {
  test::ScratchDirectory scratch;
  Write("big.txt", std::string(100'001, 'x'));
  std::string read;
  std::string why;
  EXPECT_EQ(vsim::SystemFiles().ReadFile("big.txt", 100'000, read, why),
            vsim::ReadOutcome::kTooLarge);
  EXPECT_TRUE(read.empty());
}

TEST(FileSystem, AFailedReadGivesTheSystemsReason) {
  test::ScratchDirectory scratch;
  fs::create_directories("folder");
  std::string read;
  std::string why;
  EXPECT_EQ(vsim::SystemFiles().ReadFile("missing.txt", 10, read, why), vsim::ReadOutcome::kFailed);
  EXPECT_EQ(why, std::strerror(ENOENT));
  why.clear();
  // A folder opens on some systems and fails at the first read.
  EXPECT_EQ(vsim::SystemFiles().ReadFile("folder", 10, read, why), vsim::ReadOutcome::kFailed);
  EXPECT_FALSE(why.empty());
}

// A target that names each call it receives and answers with a mark of its
// own, so that the wrapper is seen to pass the arguments and the answer.
class CallNamingFiles final : public vsim::FileSystem {
public:
  std::vector<std::string> calls;

  vsim::FileType TypeOf(const std::string& path, std::string& why) override {
    calls.push_back("TypeOf " + path);
    why = "typed";
    return vsim::FileType::kOther;
  }
  vsim::ReadOutcome ReadFile(const std::string& path, std::size_t max_bytes, std::string& text,
                             std::string& why) override {
    calls.push_back("ReadFile " + path + " " + std::to_string(max_bytes));
    text = "text";
    why = "read";
    return vsim::ReadOutcome::kTooLarge;
  }
  std::FILE* OpenForWrite(const std::string& path, std::string& why) override {
    calls.push_back("OpenForWrite " + path);
    why = "opened";
    return nullptr;
  }
  bool Replace(const std::string& from, const std::string& to, std::string& why) override {
    calls.push_back("Replace " + from + " " + to);
    why = "replaced";
    return true;
  }
  void Remove(const std::string& path) override { calls.push_back("Remove " + path); }
  bool MakeDirectories(const std::string& dir, std::string& why) override {
    calls.push_back("MakeDirectories " + dir);
    why = "made";
    return true;
  }
  bool CanReplace(const std::string& path, std::string& why) override {
    calls.push_back("CanReplace " + path);
    why = "can";
    return false;
  }
};

class PlainWrapper final : public vsim::FileSystemWrapper {
public:
  using FileSystemWrapper::FileSystemWrapper;
};

struct ForwardCase {
  const char* name;
  // Calls the member through the wrapper; the answer and the reason as text.
  std::function<std::string(vsim::FileSystem&)> call;
  const char* received;
  const char* answer;
};

class WrapperForwards : public ::testing::TestWithParam<ForwardCase> {};

TEST_P(WrapperForwards, EveryMemberToItsTarget) {
  CallNamingFiles target;
  PlainWrapper wrapper(target);
  EXPECT_EQ(&wrapper.target(), &target);
  EXPECT_EQ(GetParam().call(wrapper), GetParam().answer);
  EXPECT_EQ(target.calls, std::vector<std::string>{GetParam().received});
}

INSTANTIATE_TEST_SUITE_P(
    FileSystem, WrapperForwards,
    ::testing::Values(
        ForwardCase{"TypeOf",
                    [](vsim::FileSystem& f) {
                      std::string why;
                      const bool other = f.TypeOf("a", why) == vsim::FileType::kOther;
                      return std::string(other ? "other " : "? ") + why;
                    },
                    "TypeOf a", "other typed"},
        ForwardCase{"ReadFile",
                    [](vsim::FileSystem& f) {
                      std::string text, why;
                      const bool large =
                          f.ReadFile("a", 7, text, why) == vsim::ReadOutcome::kTooLarge;
                      return std::string(large ? "too large " : "? ") + text + " " + why;
                    },
                    "ReadFile a 7", "too large text read"},
        ForwardCase{"OpenForWrite",
                    [](vsim::FileSystem& f) {
                      std::string why;
                      return std::string(f.OpenForWrite("a", why) == nullptr ? "null " : "? ") +
                             why;
                    },
                    "OpenForWrite a", "null opened"},
        ForwardCase{"Replace",
                    [](vsim::FileSystem& f) {
                      std::string why;
                      return std::string(f.Replace("a", "b", why) ? "true " : "false ") + why;
                    },
                    "Replace a b", "true replaced"},
        ForwardCase{"Remove",
                    [](vsim::FileSystem& f) {
                      f.Remove("a");
                      return std::string("done");
                    },
                    "Remove a", "done"},
        ForwardCase{"MakeDirectories",
                    [](vsim::FileSystem& f) {
                      std::string why;
                      return std::string(f.MakeDirectories("a/b", why) ? "true " : "false ") + why;
                    },
                    "MakeDirectories a/b", "true made"},
        ForwardCase{"CanReplace",
                    [](vsim::FileSystem& f) {
                      std::string why;
                      return std::string(f.CanReplace("a", why) ? "true " : "false ") + why;
                    },
                    "CanReplace a", "false can"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileSystem, TheFullDiskStillForwardsWhatItDoesNotRefuse) {
  CallNamingFiles target;
  vsim::RefusingFiles full(target);
  std::string why;
  EXPECT_EQ(full.OpenForWrite("a", why), nullptr);
  EXPECT_EQ(why, "No space left on device");
  EXPECT_TRUE(full.MakeDirectories("d", why));
  std::string text;
  EXPECT_EQ(full.ReadFile("r", 3, text, why), vsim::ReadOutcome::kTooLarge);
  EXPECT_EQ(target.calls, (std::vector<std::string>{"MakeDirectories d", "ReadFile r 3"}))
      << "the refused open never reaches the disk";
}

TEST(FileSystem, AnUnreadableFileFailsWhateverItsSpellingAndOthersRead) {
  test::ScratchDirectory scratch;
  fs::create_directories("a");
  Write("a/s.vsim", "vessel heli\n");
  Write("other.vsim", "vessel heli\n");
  vsim::UnreadableFile files(vsim::SystemFiles(), "a/s.vsim", kReadFailure);
  std::string text, why;
  for (const char* spelling : {"a/s.vsim", "./a/s.vsim", "a/../a/s.vsim"}) {
    EXPECT_EQ(files.ReadFile(spelling, 100, text, why), vsim::ReadOutcome::kFailed) << spelling;
    EXPECT_EQ(why, kReadFailure);
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(files.TypeOf(spelling, why), vsim::FileType::kRegular)
        << "the file is there, only its reading fails";
  }
  EXPECT_EQ(files.ReadFile("other.vsim", 100, text, why), vsim::ReadOutcome::kRead);
  EXPECT_EQ(text, "vessel heli\n");
  vsim::UnreadableFile unseen(vsim::SystemFiles(), "a/s.vsim", "Permission denied", true);
  EXPECT_EQ(unseen.TypeOf("a/s.vsim", why), vsim::FileType::kMissing);
  EXPECT_EQ(why, "Permission denied");
}

std::string ScriptErrorOf(const std::function<void()>& read) {
  try {
    read();
  } catch (const vsim::ScriptError& e) {
    return e.what();
  }
  return "no error";
}

TEST(FileSystem, AScriptThatCannotBeReadIsRefusedNamingItAndTheReason) {
  test::ScratchDirectory scratch;
  Write("s.vsim", "vessel heli\nstep\n");
  vsim::UnreadableFile files(vsim::SystemFiles(), "s.vsim", kReadFailure);
  EXPECT_EQ(ScriptErrorOf([&] { vsim::ReadScript("s.vsim", files); }),
            "s.vsim: cannot read the script: " + kReadFailure);
  EXPECT_EQ(ScriptErrorOf([&] { vsim::LoadScript("s.vsim", files); }),
            "s.vsim: cannot read the script: " + kReadFailure);
  EXPECT_EQ(vsim::ReadScript("s.vsim"), "vessel heli\nstep\n") << "the system's own reads it";
}

TEST(FileSystem, AnIncludedScriptThatCannotBeReadIsRefusedAtItsLine) {
  test::ScratchDirectory scratch;
  fs::create_directories("d");
  Write("d/main.vsim", "vessel heli\ninclude part.vsim\nstep\n");
  Write("d/part.vsim", "step\n");
  vsim::UnreadableFile files(vsim::SystemFiles(), "d/part.vsim", kReadFailure);
  EXPECT_EQ(ScriptErrorOf([&] { vsim::LoadScript("d/main.vsim", files); }),
            "d/main.vsim:2: d/part.vsim: cannot read the script: " + kReadFailure);
  EXPECT_EQ(vsim::LoadScript("d/main.vsim").commands.size(), 3u);
}

TEST(FileSystem, AModuleThatCannotBeLookedAtIsRefusedWithTheReason) {
  test::ScratchDirectory scratch;
  Write("m.so", "a module");
  vsim::UnreadableFile files(vsim::SystemFiles(), "m.so", "Permission denied", true);
  EXPECT_EQ(ScriptErrorOf([&] { vsim::ParseScript("f.vsim", "module m.so\n", "", files); }),
            "f.vsim:1: cannot look at the module file m.so: Permission denied");
  EXPECT_EQ(ScriptErrorOf([&] { vsim::ParseScript("f.vsim", "module n.so\n", "", files); }),
            "f.vsim:1: module file not found: n.so");
  EXPECT_EQ(ScriptErrorOf([&] { vsim::ParseScript("f.vsim", "module m.so\n"); }), "no error");
}

}  // namespace

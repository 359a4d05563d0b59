// The atomic-file writer: a file appears whole or not at all.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "sim/faults/refusing_files.h"
#include "sim/files/atomic_file.h"
#include "sim/files/clashes.h"
#include "sim/files/output_folder.h"
#include "sim/files/partial_files.h"
#include "sim/platform/file_identity.h"
#include "tests/support.h"

namespace {

namespace fs = std::filesystem;

std::string Read(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(AtomicFile, CommitReplacesAnEarlierFile) {
  test::ScratchDirectory scratch;
  for (const char* text : {"first\n", "second\n"}) {
    vsim::AtomicFile file(vsim::SystemFiles(), "out.txt");
    file.Write(text);
    EXPECT_NE(Read("out.txt"), text) << "nothing of the new text shows before the commit";
    file.Commit();
    EXPECT_EQ(Read("out.txt"), text);
  }
  EXPECT_FALSE(fs::exists(vsim::PartialPath("out.txt")));
}

TEST(AtomicFile, UncommittedLeavesNothing) {
  test::ScratchDirectory scratch;
  {
    vsim::AtomicFile file(vsim::SystemFiles(), "out.txt");
    file.Write("lost");
    EXPECT_TRUE(fs::exists(vsim::PartialPath("out.txt")));
  }
  EXPECT_TRUE(fs::is_empty(fs::current_path()));
}

TEST(AtomicFile, RefusedOpenNamesTheFileAndTheReason) {
  test::ScratchDirectory scratch;
  vsim::RefusingFiles full(vsim::SystemFiles());
  try {
    vsim::AtomicFile file(full, "out.txt");
    FAIL() << "opened on a full disk";
  } catch (const vsim::FileError& e) {
    EXPECT_EQ(std::string(e.what()), "cannot write out.txt: No space left on device");
  }
  EXPECT_TRUE(fs::is_empty(fs::current_path()));
}

TEST(AtomicFile, AFolderInThePlaceOfTheFileIsRefusedBeforeAnythingIsWritten) {
  test::ScratchDirectory scratch;
  fs::create_directories("out.txt/inside");
  try {
    vsim::AtomicFile file(vsim::SystemFiles(), "out.txt");
    FAIL() << "made a file to move onto a folder";
  } catch (const vsim::FileError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("cannot write out.txt: ", 0), 0u) << e.what();
  }
  EXPECT_FALSE(fs::exists(vsim::PartialPath("out.txt")));
}

TEST(AtomicFile, AFailedMoveLeavesNoPartialFile) {
  test::ScratchDirectory scratch;
  vsim::AtomicFile file(vsim::SystemFiles(), "out.txt");
  file.Write("text");
  fs::create_directories("out.txt/inside");
  EXPECT_THROW(file.Commit(), vsim::FileError);
  EXPECT_FALSE(fs::exists(vsim::PartialPath("out.txt")));
}

// A write that fails is reported at the close with the file and the
// system's reason, and the partial file goes.
TEST(AtomicFile, AFailedWriteFailsTheCloseWithTheSystemsReason) {
  test::ScratchDirectory scratch;
  vsim::RefusingFiles filling(vsim::SystemFiles(), 1);
  filling.FailWrites(true);
  vsim::AtomicFile file(filling, "out.txt");
  file.Write(std::string(1 << 21, 'x'));
  try {
    file.Close();
    FAIL() << "closed a file whose writes failed";
  } catch (const vsim::FileError& e) {
    const std::string text = e.what();
    EXPECT_EQ(text.rfind("cannot write out.txt: ", 0), 0u) << text;
    EXPECT_GT(text.size(), std::string("cannot write out.txt: ").size()) << "no reason given";
  }
  EXPECT_TRUE(fs::is_empty(fs::current_path()));
}

}  // namespace

namespace {

struct ClashCase {
  const char* name;
  std::vector<vsim::NamedPath> inputs;
  std::vector<vsim::NamedPath> outputs;
  const char* clash;  // empty: none
};

void PrintTo(const ClashCase& c, std::ostream* os) { *os << c.name; }

class FindClashTest : public ::testing::TestWithParam<ClashCase> {};

TEST_P(FindClashTest, ComparesFilesByIdentity) {
  test::ScratchDirectory scratch;
  fs::create_directories("dir/sub");
  { std::ofstream("dir/in.txt") << "input"; }
#if !defined(_WIN32)
  fs::create_directory_symlink("dir", "alias");
#endif
  EXPECT_EQ(vsim::FindClash(GetParam().inputs, GetParam().outputs), GetParam().clash);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FindClashTest,
    ::testing::Values(
        ClashCase{"SameSpelling",
                  {{"the script", "dir/in.txt"}},
                  {{"--trace", "dir/in.txt"}},
                  "--trace dir/in.txt is the script dir/in.txt: nothing is written over it"},
        ClashCase{"DotAndDotDot",
                  {{"the script", "dir/in.txt"}},
                  {{"--trace", "./dir/sub/../in.txt"}},
                  "--trace ./dir/sub/../in.txt is the script dir/in.txt: nothing is written "
                  "over it"},
        ClashCase{"TwoOutputsNotYetWritten",
                  {},
                  {{"--out's log", "new/flight.csv"}, {"--trace", "new/./flight.csv"}},
                  "--trace new/./flight.csv is also --out's log new/flight.csv: nothing is "
                  "written over it"},
#if !defined(_WIN32)
        ClashCase{"ThroughAFolderLink",
                  {{"the module", "dir/in.txt"}},
                  {{"--junit", "alias/in.txt"}},
                  "--junit alias/in.txt is the module dir/in.txt: nothing is written over it"},
        ClashCase{"NewFileThroughAFolderLink",
                  {},
                  {{"--junit", "alias/r.xml"}, {"--trace", "dir/r.xml"}},
                  "--trace dir/r.xml is also --junit alias/r.xml: nothing is written over it"},
#endif
        ClashCase{"DistinctFiles",
                  {{"the script", "dir/in.txt"}},
                  {{"--trace", "dir/out.txt"}, {"--junit", "dir/sub/in.txt"}},
                  ""},
        ClashCase{"UnusedOptions", {{"the sound library", ""}}, {{"--trace", ""}}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PartialFilesTest, AreNamedPerProcessAndThoseOfDeadProcessesAreSwept) {
  test::ScratchDirectory scratch;
  const std::string own = vsim::PartialPath("out.txt");
  EXPECT_EQ(own, "out.txt." + std::to_string(vsim::platform::CurrentProcessId()) + ".partial");
  // No process has an identifier this large.
  const char* const dead = "out.txt.999999999.partial";
  const char* const others[] = {"out.txt.partial", "out.txt.12ab.partial",
                                "other.txt.999999999.partial"};
  for (const char* name : {dead, own.c_str()}) std::ofstream(name) << "half";
  for (const char* name : others) std::ofstream(name) << "not ours";
  vsim::SweepStalePartials("out.txt");
  EXPECT_FALSE(fs::exists(dead));
  EXPECT_TRUE(fs::exists(own)) << "this process's own is not stale";
  for (const char* name : others)
    EXPECT_TRUE(fs::exists(name)) << name << " is no partial of out.txt";
}

TEST(OutputFolderTest, IsMadeHeldAndLeftEmpty) {
  test::ScratchDirectory scratch;
  {
    vsim::OutputFolder folder(vsim::SystemFiles(), "a/b");
    EXPECT_TRUE(fs::exists(std::string("a/b/") + vsim::OutputFolder::kLockName));
#if !defined(_WIN32)
    // On Windows the file is open to its holder alone, and to readers that
    // allow its removal.
    EXPECT_EQ(test::ReadFile(std::string("a/b/") + vsim::OutputFolder::kLockName),
              std::to_string(vsim::platform::CurrentProcessId()) + "\n");
#endif
  }
  EXPECT_TRUE(fs::is_empty("a/b")) << "the lock goes with the run";
  { std::ofstream("file") << "x"; }
  try {
    vsim::OutputFolder folder(vsim::SystemFiles(), "file");
    FAIL() << "a file held as a folder";
  } catch (const vsim::FileError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("cannot create the output folder file: ", 0), 0u)
        << e.what();
  }
}

}  // namespace

// The atomic-file writer: a file appears whole or not at all.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/faults/refusing_files.h"
#include "sim/files/atomic_file.h"
#include "sim/files/partial_files.h"
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

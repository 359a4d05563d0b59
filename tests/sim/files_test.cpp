// The atomic-file writer: a file appears whole or not at all.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/faults/refusing_files.h"
#include "sim/files/atomic_file.h"
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
  EXPECT_FALSE(fs::exists("out.txt.partial"));
}

TEST(AtomicFile, UncommittedLeavesNothing) {
  test::ScratchDirectory scratch;
  {
    vsim::AtomicFile file(vsim::SystemFiles(), "out.txt");
    file.Write("lost");
    EXPECT_TRUE(fs::exists("out.txt.partial"));
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

TEST(AtomicFile, AFailedMoveLeavesNoPartialFile) {
  test::ScratchDirectory scratch;
  fs::create_directories("out.txt/inside");
  vsim::AtomicFile file(vsim::SystemFiles(), "out.txt");
  file.Write("text");
  EXPECT_THROW(file.Commit(), vsim::FileError);
  EXPECT_FALSE(fs::exists("out.txt.partial"));
}

}  // namespace

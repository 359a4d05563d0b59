// Every vesselsim command line and every script the README shows runs as
// shown: the README cannot drift from the program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support.h"

namespace {

namespace fs = std::filesystem;

constexpr int kExitUsage = 2;
constexpr int kSignalBase = 128;

struct Block {
  int line;                        // where it starts in the README
  std::vector<std::string> lines;  // without their indentation
};

// The README's code: blocks indented by four spaces and fenced blocks.
std::vector<Block> CodeBlocks() {
  std::ifstream in(README_PATH);
  std::vector<Block> blocks;
  std::string line;
  int number = 0;
  bool fenced = false;
  Block current{0, {}};
  const auto end_block = [&] {
    if (!current.lines.empty()) blocks.push_back(current);
    current = {0, {}};
  };
  while (std::getline(in, line)) {
    ++number;
    if (line.rfind("```", 0) == 0) {
      end_block();
      fenced = !fenced;
      continue;
    }
    const bool code = fenced || line.rfind("    ", 0) == 0;
    if (!code) {
      if (!line.empty() || fenced) end_block();
      continue;
    }
    if (current.lines.empty()) current.line = number;
    if (!line.empty()) current.lines.push_back(fenced ? line : line.substr(4));
  }
  end_block();
  return blocks;
}

// A command line to run: not a synopsis with placeholders or choices.
bool Runnable(const std::string& line) {
  if (line.rfind("vesselsim ", 0) != 0 && line.rfind("build/vesselsim ", 0) != 0) return false;
  for (const char* placeholder : {"[", "|", "...", "path/to", "SCRIPT", "MODULE", "DIR", "FILE"})
    if (line.find(placeholder) != std::string::npos) return false;
  return true;
}

bool IsScript(const Block& b) {
  for (const std::string& l : b.lines)
    if (l.rfind("vessel ", 0) == 0) return true;
  return false;
}

// A folder like the source tree's top, with the flights and the build.
class ReadmeTest : public ::testing::Test {
protected:
  ReadmeTest() {
    fs::copy(FLIGHTS_FOLDER, "flights", fs::copy_options::recursive);
#if !defined(_WIN32)
    fs::create_directory_symlink(BUILD_FOLDER, "build");
#endif
  }
  test::ScratchDirectory scratch;
};

TEST_F(ReadmeTest, CommandLinesRunAsShown) {
  int run = 0;
  for (const Block& b : CodeBlocks())
    for (const std::string& line : b.lines) {
      if (!Runnable(line)) continue;
#if defined(_WIN32)
      if (line.find("build/") != std::string::npos) continue;
#endif
      const std::string args = line.substr(line.find(' ') + 1);
      std::string output;
      const int exit = test::RunProgram(args, output);
      EXPECT_TRUE(exit != kExitUsage && exit >= 0 && exit < kSignalBase)
          << "README.md:" << b.line << ": " << line << " exited " << exit << "\n"
          << output;
      ++run;
    }
  EXPECT_GE(run, 5) << "the README shows command lines";
}

TEST_F(ReadmeTest, ScriptsParseAndFly) {
  int flown = 0;
  for (const Block& b : CodeBlocks()) {
    if (!IsScript(b)) continue;
    {
      std::ofstream script("readme.vsim");
      for (const std::string& l : b.lines) script << l << "\n";
    }
    std::string output;
    const int exit = test::RunProgram("run readme.vsim --quiet --out readme-out", output);
    EXPECT_EQ(exit, 0) << "README.md:" << b.line << ": the script exited " << exit << "\n"
                       << output;
    ++flown;
  }
  EXPECT_GE(flown, 2) << "the README shows scripts";
}

}  // namespace

// Script text as the parser reads it: names, includes, NUL bytes and byte-order marks.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "sim/flight/runner.h"
#include "sim/outputs/svg_plot.h"
#include "sim/platform/platform.h"
#include "sim/script/keys.h"
#include "sim/script/numbers.h"
#include "sim/script/operations.h"
#include "sim/script/parser.h"
#include "tests/script_support.h"
#include "tests/support.h"

namespace {

using test::Exists;
using test::Options;
using test::ReadFile;
using test::RunProgram;
using vsim::ParseScript;
using vsim::ScriptError;

// Named animations and sound slots read as their numbers; an included
// script's lines carry its own name in messages; a cycle of includes is
// refused with the chain.
TEST(ScriptTextTest, NamesAndIncludes) {
  test::ScratchDirectory scratch;
  std::filesystem::create_directories("lib");
  { std::ofstream("lib/names.vsim") << "name anim 2 gear\nname sound 1 engine\n"; }
  { std::ofstream("lib/bad.vsim") << "name anim 2 gear\nwobble\n"; }
  { std::ofstream("lib/a.vsim") << "include b.vsim\n"; }
  { std::ofstream("lib/b.vsim") << "include a.vsim\n"; }
  const vsim::Script script = ParseScript("s.vsim",
                                          "include lib/names.vsim\nvessel heli\nexpect anim.gear "
                                          "== 0\nexpect sound.engine.volume == 0\n");
  const auto expects = script.All<vsim::ExpectCommand>();
  ASSERT_EQ(expects.size(), 2u);
  EXPECT_EQ(expects[0]->condition.comparisons.at(0).left.nodes.at(0).quantity.name, "anim.2");
  EXPECT_EQ(expects[1]->condition.comparisons.at(0).left.nodes.at(0).quantity.name,
            "sound.1.volume");
  EXPECT_EQ(script.Where(script.commands[0]), "lib/names.vsim:1");
  EXPECT_EQ(script.Where(script.commands[3]), "s.vsim:3");
  const struct {
    const char* text;
    const char* message;
  } bad[] = {
      {"include lib/bad.vsim\n", "lib/bad.vsim:2: unknown command \"wobble\""},
      {"include lib/a.vsim\n",
       "lib/b.vsim:1: include makes a cycle: lib/a.vsim -> lib/b.vsim -> lib/a.vsim"},
      {"include nowhere.vsim\n",
       "s.vsim:1: nowhere.vsim: cannot read the script: No such file or directory"},
  };
  for (const auto& b : bad) {
    try {
      ParseScript("s.vsim", b.text);
      FAIL() << b.text;
    } catch (const ScriptError& e) {
      EXPECT_EQ(std::string(e.what()), b.message);
    }
  }
}

// A NUL byte, which would cut messages and fields short, is refused with its
// line; a byte-order mark at the start of a script is no command.
TEST(ScriptTextTest, NulBytesAreRefusedAndAByteOrderMarkIsAccepted) {
  try {
    ParseScript("bad.vsim", std::string("vessel heli\nvessel a\0b\n", 22));
    FAIL() << "a NUL byte was accepted";
  } catch (const ScriptError& e) {
    EXPECT_EQ(std::string(e.what()), "bad.vsim:2: a NUL byte at column 9: a script is text");
  }
  const vsim::Script script = ParseScript("bom.vsim", "\xEF\xBB\xBFvessel heli.2-b_c\nstep 1\n");
  ASSERT_EQ(script.commands.size(), 2u);
  EXPECT_EQ(std::get<vsim::VesselCommand>(script.commands[0].command).name, "heli.2-b_c");
}

}  // namespace

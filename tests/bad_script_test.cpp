// Scripts the parser refuses before anything runs, each with its file, line and message.
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

struct BadScript {
  const char* text;
  const char* message;  // expected "file:line: message"
};

void PrintTo(const BadScript& c, std::ostream* out) { *out << c.text; }

class BadScriptTest : public ::testing::TestWithParam<BadScript> {};

TEST_P(BadScriptTest, FailsBeforeRunningWithFileLineAndMessage) {
  try {
    ParseScript("bad.vsim", GetParam().text);
    FAIL() << "accepted: " << GetParam().text;
  } catch (const ScriptError& e) {
    EXPECT_EQ(std::string(e.what()), GetParam().message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Messages, BadScriptTest,
    ::testing::Values(
        BadScript{"vessel heli\nfly away\n", "bad.vsim:2: unknown command \"fly\""},
        BadScript{"vessel heli\nstep 1 2\n", "bad.vsim:2: step takes 0 to 1 argument, got 2"},
        BadScript{"vessel heli\nrun\n", "bad.vsim:2: run takes 1 argument, got 0"},
        BadScript{"vessel heli\nthrottle main lots\n", "bad.vsim:2: bad number \"lots\""},
        BadScript{"vessel heli\nthrottle main 1.5\n", "bad.vsim:2: level 1.5 outside 0..1"},
        BadScript{"vessel heli\nthrottle side 1\n",
                  "bad.vsim:2: expected main or hover, got \"side\""},
        BadScript{"vessel heli\nfocus other\n", "bad.vsim:2: unknown vessel \"other\""},
        BadScript{"vessel heli\ndestroy heli\nstep\nkey G\n",
                  "bad.vsim:4: no vessel to act on: create one with \"vessel NAME\""},
        BadScript{"vessel heli\nvessel heli\n", "bad.vsim:2: vessel \"heli\" already exists"},
        BadScript{"module /no/such/Corvane.so\n",
                  "bad.vsim:1: module file not found: /no/such/Corvane.so"},
        BadScript{"vessel heli\nsound on\n", "bad.vsim:2: sound must come before the first vessel"},
        BadScript{"vessel heli\nkey Ö\n", "bad.vsim:2: unknown key \"Ö\""},
        BadScript{"vessel heli\nkey G sideways\n",
                  "bad.vsim:2: unknown key option \"sideways\" (release, ctrl, shift, alt)"},
        BadScript{"vessel heli\nset ground 1\n",
                  "bad.vsim:2: cannot set ground with physics on: the physics derives it"},
        BadScript{"physics off\nvessel heli\nset focus-airspeed 1 2\n",
                  "bad.vsim:3: set focus-airspeed takes 3 values"},
        BadScript{"vessel heli\nset gravity 3\n", "bad.vsim:2: cannot set \"gravity\""},
        BadScript{"vessel heli\nexpect warp > 1\n", "bad.vsim:2: unknown quantity \"warp\""},
        BadScript{"vessel heli\nexpect anim.x == 1\n",
                  "bad.vsim:2: unknown name \"x\" in \"anim.x\" (name one first: \"name anim N "
                  "x\", or include helicopter.vsim)"},
        BadScript{"name anim 2 gear\nvessel heli\nexpect anim.gears == 1\n",
                  "bad.vsim:3: unknown name \"gears\" in \"anim.gears\" (did you mean \"gear\"?)"},
        BadScript{"name anim 2 gear\nname anim 3 gear\n",
                  "bad.vsim:2: \"gear\" already names anim 2"},
        BadScript{"name anim 2 7up\n",
                  "bad.vsim:1: bad name \"7up\": a name is letters, digits, '_', '.' and '-', and "
                  "starts with a letter or '_'"},
        BadScript{"vessel heli\nexpect altitude ~ 1\n", "bad.vsim:2: unknown comparison \"~\""},
        BadScript{"vessel heli\nexpect debug > \"a\"\n",
                  "bad.vsim:2: debug compares with == or != only"},
        BadScript{"vessel heli\nexpect other:fuel == 1\n", "bad.vsim:2: unknown vessel \"other\""},
        BadScript{"vessel heli\nuntil altitude > 5 within soon\n",
                  "bad.vsim:2: bad number \"soon\""},
        BadScript{"vessel heli\ntimeacc 0\n", "bad.vsim:2: expected a positive number, got \"0\""},
        BadScript{"vessel heli\nhold 4 0\n", "bad.vsim:2: hold takes from 1 to 1000000 events"},
        BadScript{"vessel heli\nclick 1e308\n",
                  "bad.vsim:2: expected a whole number, got \"1e308\""},
        BadScript{"vessel heli\nclick 4.5\n", "bad.vsim:2: expected a whole number, got \"4.5\""},
        BadScript{"vessel heli\nexpect call\n", "bad.vsim:2: expect call needs the call text"},
        BadScript{"vessel heli\nmark \"x\" when\n",
                  "bad.vsim:2: mark needs \"TEXT\" when QUANTITY OP VALUE [after key KEY]"},
        BadScript{"vessel heli\nplot anim 2\n",
                  "bad.vsim:2: plot takes: anim N \"LABEL\" or limit altitude|airspeed VALUE "
                  "\"LABEL\""},
        BadScript{"vessel heli\nexpect debug == \"open\n", "bad.vsim:2: unterminated string"},
        BadScript{"vessel heli\nstepp 3\n",
                  "bad.vsim:2: unknown command \"stepp\" (did you mean \"step\"?)"},
        BadScript{"vessel heli\nexpect no-call Bogus\n", "bad.vsim:2: unknown operation \"Bogus\""},
        BadScript{"vessel heli\nexpect no-call SetAnimaton\n",
                  "bad.vsim:2: unknown operation \"SetAnimaton\" (did you mean \"SetAnimation\"?)"},
        BadScript{"vessel heli\nexpect call heli SetThrusterMax(thruster#1, 1)\n",
                  "bad.vsim:2: unknown operation \"SetThrusterMax\" (did you mean "
                  "\"SetThrusterMax0\"?)"},
        BadScript{"vessel -\n",
                  "bad.vsim:1: bad vessel name \"-\": a vessel's name is letters, digits, '_', '.' "
                  "and '-', and starts with a letter, a digit or '_'"},
        BadScript{"vessel \"\"\n",
                  "bad.vsim:1: bad vessel name \"\": a vessel's name is letters, digits, '_', '.' "
                  "and '-', and starts with a letter, a digit or '_'"},
        BadScript{"vessel .a\n",
                  "bad.vsim:1: bad vessel name \".a\": a vessel's name is letters, digits, '_', "
                  "'.' and '-', and starts with a letter, a digit or '_'"},
        BadScript{"vessel a:b\n",
                  "bad.vsim:1: bad vessel name \"a:b\": a vessel's name is letters, digits, '_', "
                  "'.' and '-', and starts with a letter, a digit or '_'"},
        BadScript{"vessel a+b\n",
                  "bad.vsim:1: bad vessel name \"a+b\": a vessel's name is letters, digits, '_', "
                  "'.' and '-', and starts with a letter, a digit or '_'"},
        BadScript{"vessel \"a\tb\"\n",
                  "bad.vsim:1: bad vessel name \"a\\x09b\": a vessel's name is letters, digits, "
                  "'_', '.' and '-', and starts with a letter, a digit or '_'"},
        BadScript{"vessel heli\nfly\nstep\nwarp 2\n",
                  "bad.vsim:2: unknown command \"fly\"\nbad.vsim:4: unknown command \"warp\""}),
    [](const auto& info) {
      // The message, as a test name: "bad.vsim:2: unknown command" -> Line2UnknownCommand.
      std::string name = "Line";
      bool upper = true;
      for (const char* c = info.param.message + std::strlen("bad.vsim:"); *c != '\0'; ++c) {
        if (!std::isalnum(static_cast<unsigned char>(*c))) {
          upper = true;
          continue;
        }
        name += upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(*c))) : *c;
        upper = false;
      }
      return name + "_" + std::to_string(info.index);
    });

}  // namespace

// Flight-script lines as tokens: words and "quoted text", with a "#" that
// begins a word outside quotes starting a comment.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vsim {

struct Token {
  std::string text;
  bool quoted = false;
};

struct LexedLine {
  std::vector<Token> tokens;
  std::string text;   // the line without its comment and trailing space
  std::string error;  // empty when the line is well formed
};

LexedLine Lex(std::string_view line);

}  // namespace vsim

#include "sim/script/lexer.h"

#include <cctype>

namespace vsim {

namespace {

bool Space(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// A comment starts at a "#" that begins a word outside quotes, so that
// handle names such as thruster#2 stay whole.
std::string_view WithoutComment(std::string_view line) {
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    if (line[i] == '#' && !quoted && (i == 0 || Space(line[i - 1]))) return line.substr(0, i);
  }
  return line;
}

}  // namespace

LexedLine Lex(std::string_view raw) {
  LexedLine out;
  std::string_view line = WithoutComment(raw);
  while (!line.empty() && Space(line.back())) line.remove_suffix(1);
  out.text = std::string(line);
  std::size_t i = 0;
  while (i < line.size()) {
    if (Space(line[i])) {
      ++i;
      continue;
    }
    Token token;
    if (line[i] == '"') {
      const std::size_t end = line.find('"', i + 1);
      if (end == std::string_view::npos) {
        out.error = "unterminated string";
        return out;
      }
      token.text = std::string(line.substr(i + 1, end - i - 1));
      token.quoted = true;
      i = end + 1;
    } else {
      const std::size_t start = i;
      while (i < line.size() && !Space(line[i])) ++i;
      token.text = std::string(line.substr(start, i - start));
    }
    out.tokens.push_back(std::move(token));
  }
  return out;
}

}  // namespace vsim

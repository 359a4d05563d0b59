#include "fuzz/well_formed.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "sim/outputs/xml.h"

namespace vsim::fuzz {

namespace {

bool NameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_' || c == ':' ||
         c == '.';
}

class XmlReader {
public:
  explicit XmlReader(const std::string& text) : text_(text) {}

  std::string Problem() {
    if (ValidUtf8(text_) != text_) return "bytes that are not UTF-8";
    for (char c : text_) {
      const auto u = static_cast<unsigned char>(c);
      if (u < 0x20 && c != '\n' && c != '\r' && c != '\t') return "a control character";
    }
    SkipProlog();
    if (!Element()) return problem_;
    SkipSpace();
    if (at_ != text_.size()) return Fail("text after the root element");
    return "";
  }

private:
  std::string Fail(const std::string& what) {
    if (problem_.empty()) problem_ = what + " at byte " + std::to_string(at_);
    return problem_;
  }
  bool Failed(const std::string& what) {
    Fail(what);
    return false;
  }
  bool Looking(const char* s) const { return text_.compare(at_, std::strlen(s), s) == 0; }
  void SkipSpace() {
    while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_])) != 0) ++at_;
  }
  bool SkipPast(const char* end) {
    const std::size_t found = text_.find(end, at_);
    if (found == std::string::npos) return false;
    at_ = found + std::strlen(end);
    return true;
  }
  void SkipProlog() {
    SkipSpace();
    while (Looking("<?") || Looking("<!--")) {
      if (!SkipPast(Looking("<?") ? "?>" : "-->")) return;
      SkipSpace();
    }
  }
  std::string Name() {
    const std::size_t start = at_;
    while (at_ < text_.size() && NameChar(text_[at_])) ++at_;
    return text_.substr(start, at_ - start);
  }
  bool Reference() {
    static const char* const kKnown[] = {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"};
    for (const char* known : kKnown)
      if (Looking(known)) {
        at_ += std::strlen(known);
        return true;
      }
    if (Looking("&#")) return SkipPast(";");
    return Failed("an unknown reference");
  }
  bool Text(char stop) {
    while (at_ < text_.size() && text_[at_] != stop) {
      if (text_[at_] == '&') {
        if (!Reference()) return false;
      } else if (stop == '<' || text_[at_] != '<') {
        ++at_;
      } else {
        return Failed("'<' in an attribute");
      }
    }
    return at_ < text_.size() || Failed("the text ends inside an element");
  }
  bool Attributes() {
    for (;;) {
      SkipSpace();
      if (at_ >= text_.size()) return Failed("the text ends inside a tag");
      if (text_[at_] == '>' || Looking("/>")) return true;
      if (Name().empty()) return Failed("a bad attribute name");
      SkipSpace();
      if (at_ >= text_.size() || text_[at_] != '=') return Failed("an attribute without '='");
      ++at_;
      SkipSpace();
      if (at_ >= text_.size() || (text_[at_] != '"' && text_[at_] != '\''))
        return Failed("an attribute value without quotes");
      const char quote = text_[at_++];
      if (!Text(quote)) return false;
      ++at_;
    }
  }
  bool Element() {
    if (!Looking("<")) return Failed("no element");
    ++at_;
    const std::string name = Name();
    if (name.empty()) return Failed("a tag without a name");
    if (!Attributes()) return false;
    if (Looking("/>")) {
      at_ += 2;
      return true;
    }
    ++at_;
    for (;;) {
      if (!Text('<')) return false;
      if (Looking("<!--")) {
        if (!SkipPast("-->")) return Failed("a comment that does not end");
      } else if (Looking("<![CDATA[")) {
        if (!SkipPast("]]>")) return Failed("CDATA that does not end");
      } else if (Looking("</")) {
        at_ += 2;
        if (Name() != name) return Failed("</...> does not close <" + name + ">");
        SkipSpace();
        if (!Looking(">")) return Failed("a closing tag without '>'");
        ++at_;
        return true;
      } else if (!Element()) {
        return false;
      }
    }
  }

  const std::string& text_;
  std::size_t at_ = 0;
  std::string problem_;
};

// The fields of one CSV record from `at`, RFC 4180 quoting; at moves past
// it. False for a quote left open.
bool ReadRecord(const std::string& text, std::size_t& at, std::vector<std::string>& fields) {
  fields.assign(1, "");
  while (at < text.size()) {
    const char c = text[at++];
    if (c == '"' && fields.back().empty()) {
      for (;;) {
        if (at >= text.size()) return false;
        const char q = text[at++];
        if (q != '"') {
          fields.back() += q;
        } else if (at < text.size() && text[at] == '"') {
          fields.back() += '"';
          ++at;
        } else {
          break;
        }
      }
    } else if (c == ',') {
      fields.emplace_back();
    } else if (c == '\n') {
      return true;
    } else {
      fields.back() += c;
    }
  }
  return true;
}

bool NotFinite(const std::string& cell) {
  return cell == "nan" || cell == "-nan" || cell == "inf" || cell == "-inf";
}

}  // namespace

std::string XmlProblem(const std::string& text) { return XmlReader(text).Problem(); }

std::string CsvProblem(const std::string& text) {
  std::size_t at = 0;
  std::vector<std::string> header, fields;
  if (!ReadRecord(text, at, header)) return "the header has an open quote";
  for (int row = 2; at < text.size(); ++row) {
    const std::string where = "row " + std::to_string(row);
    if (!ReadRecord(text, at, fields)) return where + " has an open quote";
    if (fields.size() != header.size())
      return where + " has " + std::to_string(fields.size()) + " fields, the header " +
             std::to_string(header.size());
    for (std::size_t i = 0; i < fields.size(); ++i)
      if (header[i] != "vessel" && NotFinite(fields[i]))
        return where + ": " + header[i] + " is not finite";
  }
  return "";
}

void Require(bool holds, const std::string& what) {
  if (holds) return;
  std::fprintf(stderr, "finding: %s\n", what.c_str());
  std::abort();
}

}  // namespace vsim::fuzz

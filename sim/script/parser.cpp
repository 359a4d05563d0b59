#include "sim/script/parser.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string_view>

#include "sim/journal/format.h"
#include "sim/script/numbers.h"
#include "sim/script/operations.h"
#include "sim/script/parser_impl.h"

namespace vsim {

namespace {

constexpr double kMaxWholeNumber = 1e9;
// The units a number takes where no unit is named, as scripts always could.
constexpr char kAngle[] = "rad";
constexpr char kAngularRate[] = "rad/s";
// Commands a whole script carries out, each repeated line counted as often
// as it runs: a script of repeats with no time in them still ends.
constexpr long long kMaxCommandRuns = 100'000'000;

// Quantity names as a user writes them, with N for an index.
std::vector<std::string> ReadableNames() {
  std::vector<std::string> names;
  for (const QuantityDef& def : Quantities()) {
    if (def.read == nullptr) continue;
    std::string name = def.pattern;
    const auto hash = name.find('#');
    if (hash != std::string::npos) name[hash] = 'N';
    names.push_back(name);
  }
  return names;
}

// Errors a script reports before the rest are left unsaid.
constexpr std::size_t kMaxErrors = 20;

}  // namespace

Command Parser::Parse(int line, const LexedLine& lexed) {
  line_ = line;
  tokens_ = &lexed.tokens;
  text_ = &lexed.text;
  const VerbRow* verb = FindVerb(Arg(0));
  if (verb == nullptr)
    Error("unknown command \"" + Arg(0) + "\"" + DidYouMean(Arg(0), VerbNames()));
  Command command = (this->*verb->parse)();
  const bool within = commands_run_ <= kMaxCommandRuns;
  commands_run_ += Runs();
  if (within && commands_run_ > kMaxCommandRuns)
    Error("the script runs more than " + std::to_string(kMaxCommandRuns) +
          " commands in all (count its repeats)");
  return command;
}

long long Parser::Runs() const {
  long long runs = 1;
  for (const OpenRepeat& r : repeats_) runs = std::min(runs * r.count, kMaxCommandRuns + 1);
  return runs;
}

std::vector<std::string> Parser::CloseRepeats() {
  std::vector<std::string> open;
  for (std::size_t i = repeat_floor_; i < repeats_.size(); ++i)
    open.push_back(file_ + ":" + std::to_string(repeats_[i].line) + ": repeat without end");
  repeats_.resize(repeat_floor_);
  return open;
}

void Parser::Error(const std::string& message) const {
  throw ScriptError(file_ + ":" + std::to_string(line_) + ": " + message);
}

void Parser::Count(std::size_t lo, std::size_t hi) const {
  const std::size_t n = Count();
  if (n >= lo && n <= hi) return;
  const std::string expected =
      lo == hi ? std::to_string(lo) : std::to_string(lo) + " to " + std::to_string(hi);
  Error(Arg(0) + " takes " + expected + (hi == 1 ? " argument" : " arguments") + ", got " +
        std::to_string(n));
}

void Parser::Setup(const std::string& what) const {
  if (any_vessel_) Error(what + " must come before the first vessel");
}

void Parser::NeedFocus() const {
  if (focus_.empty()) Error("no vessel to act on: create one with \"vessel NAME\"");
}

std::string Parser::KnownVessel(const std::string& name) const {
  if (vessels_.count(name) == 0) Error("unknown vessel \"" + name + "\"");
  return name;
}

std::string Parser::OneOf(std::size_t i, std::initializer_list<const char*> options) const {
  std::string list;
  for (const char* o : options) {
    if (Arg(i) == o) return o;
    list += (list.empty() ? "" : " or ") + std::string(o);
  }
  Error("expected " + list + ", got \"" + Arg(i) + "\"");
}

double Parser::Number(std::size_t i, const char* dimension) const {
  double v = 0;
  std::string unit;
  if (!ParseNumber(Arg(i), v, &unit)) Error("bad number \"" + Arg(i) + "\"");
  if (unit.empty()) return v;
  if (dimension != nullptr && unit != dimension)
    Error("\"" + Arg(i) + "\" is in " + unit + " where " +
          (*dimension == '\0' ? std::string("a bare number") : std::string(dimension)) +
          " belongs");
  if (dimension == nullptr && unit != kAngle && unit != kAngularRate)
    Error("\"" + Arg(i) + "\" has a unit where a bare number belongs");
  return v;
}

double Parser::Positive(std::size_t i, const char* dimension) const {
  const double v = Number(i, dimension);
  if (!(v > 0)) Error("expected a positive number, got \"" + Arg(i) + "\"");
  return v;
}

double Parser::Integer(std::size_t i) const {
  const double v = Number(i);
  if (std::abs(v) > kMaxWholeNumber || v != std::trunc(v))
    Error("expected a whole number, got \"" + Arg(i) + "\"");
  return v;
}

double Parser::Level(std::size_t i, double lo, double hi) const {
  const double v = Number(i);
  if (v < lo || v > hi)
    Error("level " + Arg(i) + " outside " + std::to_string(static_cast<int>(lo)) + ".." +
          std::to_string(static_cast<int>(hi)));
  return v;
}

double Parser::Bounded(double value, double limit, const std::string& what) const {
  if (std::abs(value) > limit)
    Error(what + " " + FormatNumber(value) + " is out of range: its size is at most " +
          FormatNumber(limit));
  return value;
}

std::string Parser::Numbered(const std::string& name) const {
  for (const auto& [prefix, names] :
       {std::pair<std::string, const std::map<std::string, int>*>{"anim.", &anim_names_},
        std::pair<std::string, const std::map<std::string, int>*>{"sound.", &sound_names_}}) {
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    const std::size_t end = name.find('.', prefix.size());
    const std::string word = name.substr(prefix.size(), end - prefix.size());
    if (word.empty() || std::isdigit(static_cast<unsigned char>(word.front())) != 0) return name;
    const auto known = names->find(word);
    if (known == names->end()) {
      std::vector<std::string> candidates;
      for (const auto& [n, index] : *names) candidates.push_back(n);
      Error("unknown name \"" + word + "\" in \"" + name + "\"" + DidYouMean(word, candidates) +
            (candidates.empty()
                 ? " (name one first: \"name " + prefix.substr(0, prefix.size() - 1) + " N " +
                       word + "\", or include helicopter.vsim)"
                 : ""));
    }
    return prefix + std::to_string(known->second) +
           (end == std::string::npos ? "" : name.substr(end));
  }
  return name;
}

Quantity Parser::ParseQuantity(const std::string& written) const {
  Quantity q;
  q.name = written;
  const auto colon = written.find(':');
  if (colon != std::string::npos) {
    q.vessel = KnownVessel(written.substr(0, colon));
    q.name = written.substr(colon + 1);
  }
  q.name = Numbered(q.name);
  const QuantityMatch match = FindQuantity(q.name);
  if (match.def == nullptr || match.def->read == nullptr)
    Error("unknown quantity \"" + q.name + "\"" + DidYouMean(q.name, ReadableNames()));
  q.def = match.def;
  q.index = match.index;
  return q;
}

// The parser's quantities and variables, for the expressions it reads.
class Parser::Names : public ExpressionNames {
public:
  explicit Names(const Parser& parser) : parser_(parser) {}
  Quantity QuantityNamed(const std::string& written) const override {
    return parser_.ParseQuantity(written);
  }
  Variable VariableNamed(const std::string& name) const override {
    const auto found = parser_.variables_.find(name);
    if (found != parser_.variables_.end()) return found->second;
    std::vector<std::string> known;
    for (const auto& [n, v] : parser_.variables_) known.push_back(n);
    parser_.Error("unknown variable \"$" + name + "\"" + DidYouMean(name, known) +
                  (known.empty() ? " (make one first: \"let " + name + " = EXPRESSION\")" : ""));
  }

private:
  const Parser& parser_;
};

Condition Parser::ParseCondition(std::size_t first, std::size_t last) const {
  try {
    return vsim::ParseCondition(*tokens_, first, last, Names(*this));
  } catch (const ExpressionError& e) {
    Error(e.what());
  }
}

Expression Parser::ParseExpression(std::size_t first, std::size_t last) const {
  try {
    return vsim::ParseExpression(*tokens_, first, last, Names(*this));
  } catch (const ExpressionError& e) {
    Error(e.what());
  }
}

void Parser::CheckOperation(const std::string& name) const {
  if (!KnownOperation(name))
    Error("unknown operation \"" + name + "\"" + DidYouMean(name, Operations()));
}

bool Script::NeedsJournal() const {
  return !All<ExpectCallCommand>().empty() || !All<ExpectNoCallCommand>().empty();
}

void CheckFiles(const Script& script, FileSystem& files) {
  for (const ScriptLine& line : script.commands)
    if (const auto* module = std::get_if<ModuleCommand>(&line.command)) {
      std::string why;
      const FileType type = files.TypeOf(module->path, why);
      if (type == FileType::kMissing && why != std::strerror(ENOENT))
        throw ScriptError(script.Where(line.line) + ": cannot look at the module file " +
                          module->path + ": " + why);
      if (type == FileType::kMissing)
        throw ScriptError(script.Where(line.line) + ": module file not found: " + module->path);
      if (type != FileType::kRegular)
        throw ScriptError(script.Where(line.line) +
                          ": module is not a regular file: " + module->path);
    }
}

namespace {

std::string& SharedScriptsFolder() {
  static std::string folder;
  return folder;
}

// Where "include FILE" finds FILE: beside the script that includes it, then
// among the shared scripts.
std::string FindInclude(const std::string& name, const std::string& base_dir, FileSystem& files) {
  namespace fs = std::filesystem;
  std::string why;
  const fs::path beside = base_dir.empty() ? fs::path(name) : fs::path(base_dir) / name;
  // Forward slashes, so that messages name a script alike on every system.
  if (fs::path(name).is_absolute() || files.TypeOf(beside.string(), why) != FileType::kMissing)
    return beside.generic_string();
  const fs::path shared = fs::path(SharedScriptsFolder()) / name;
  if (!SharedScriptsFolder().empty() && files.TypeOf(shared.string(), why) != FileType::kMissing)
    return shared.generic_string();
  return beside.generic_string();
}

struct Lines {
  Parser& parser;
  Script& script;
  std::vector<std::string>& errors;
  FileSystem& files;
  std::vector<std::string> chain;  // the scripts being read, the outermost first

  void Read(const std::string& file, const std::string& text, const std::string& base_dir,
            bool included);
  void Include(const std::string& file, int line, const LexedLine& lexed,
               const std::string& base_dir);
};

void Lines::Include(const std::string& file, int line, const LexedLine& lexed,
                    const std::string& base_dir) {
  const std::string where = file + ":" + std::to_string(line) + ": ";
  if (lexed.tokens.size() != 2) {
    errors.push_back(where + "include takes 1 argument, the script to include");
    return;
  }
  const std::string path = FindInclude(lexed.tokens[1].text, base_dir, files);
  for (std::size_t i = 0; i < chain.size(); ++i)
    if (std::filesystem::path(chain[i]).lexically_normal() ==
        std::filesystem::path(path).lexically_normal()) {
      std::string cycle;
      for (std::size_t k = i; k < chain.size(); ++k) cycle += chain[k] + " -> ";
      errors.push_back(where + "include makes a cycle: " + cycle + path);
      return;
    }
  try {
    const std::string text = ReadScript(path, files);
    const std::string folder = std::filesystem::path(path).parent_path().string();
    Read(path, text, folder.empty() ? "." : folder, true);
  } catch (const ScriptError& e) {
    errors.push_back(where + e.what());
  }
}

void Lines::Read(const std::string& file, const std::string& text, const std::string& base_dir,
                 bool included) {
  chain.push_back(file);
  const Parser::Place outer = parser.Enter(file, base_dir);
  int line = 0;
  // Editors on Windows may begin a text file with a byte-order mark.
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  const std::size_t start =
      text.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0 ? kByteOrderMark.size() : 0;
  for (std::size_t at = start; at < text.size() && errors.size() < kMaxErrors;) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    std::string_view raw(text.data() + at, end - at);
    at = end + 1;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    ++line;
    if (const std::size_t nul = raw.find('\0'); nul != std::string_view::npos) {
      errors.push_back(file + ":" + std::to_string(line) + ": a NUL byte at column " +
                       std::to_string(nul + 1) + ": a script is text");
      continue;
    }
    const LexedLine lexed = Lex(raw);
    if (!lexed.error.empty()) {
      errors.push_back(file + ":" + std::to_string(line) + ": " + lexed.error);
      continue;
    }
    if (lexed.tokens.empty()) continue;
    if (lexed.tokens[0].text == "include" && !lexed.tokens[0].quoted) {
      Include(file, line, lexed, base_dir);
      continue;
    }
    try {
      parser.NextIndex(script.commands.size());
      script.commands.push_back({line, parser.Parse(line, lexed), included ? file : ""});
      // An "end" tells its "repeat" where the block ends.
      if (const auto* end = std::get_if<EndCommand>(&script.commands.back().command))
        if (auto* repeat = std::get_if<RepeatCommand>(&script.commands[end->repeat].command))
          repeat->end = script.commands.size() - 1;
    } catch (const ScriptError& e) {
      errors.push_back(e.what());
    }
  }
  for (std::string& open : parser.CloseRepeats()) errors.push_back(std::move(open));
  parser.Leave(outer);
  chain.pop_back();
}

}  // namespace

void SetSharedScriptsFolder(const std::string& folder) { SharedScriptsFolder() = folder; }

Script ParseScript(const std::string& file, const std::string& text, const std::string& base_dir,
                   FileSystem& files) {
  Script script;
  script.file = file;
  Parser parser(file, base_dir);
  std::vector<std::string> errors;
  Lines{parser, script, errors, files, {}}.Read(file, text, base_dir, false);
  if (errors.empty()) CheckFiles(script, files);
  std::string message;
  for (const std::string& e : errors) message += (message.empty() ? "" : "\n") + e;
  if (!message.empty()) throw ScriptError(message);
  return script;
}

std::string ReadScript(const std::string& path, FileSystem& files) {
  const std::string cannot = path + ": cannot read the script: ";
  std::string why;
  switch (files.TypeOf(path, why)) {
    case FileType::kMissing: throw ScriptError(cannot + why);
    case FileType::kFolder: throw ScriptError(cannot + "a folder, not a file");
    case FileType::kOther: throw ScriptError(cannot + "not a regular file");
    case FileType::kRegular: break;
  }
  std::string text;
  switch (files.ReadFile(path, kMaxScriptBytes, text, why)) {
    case ReadOutcome::kFailed: throw ScriptError(cannot + why);
    case ReadOutcome::kTooLarge:
      throw ScriptError(path + ": more than " + std::to_string(kMaxScriptBytes >> 20) +
                        " MiB, larger than a script may be");
    case ReadOutcome::kRead: break;
  }
  return text;
}

Script LoadScript(const std::string& path, FileSystem& files) {
  const std::string text = ReadScript(path, files);
  const std::string folder = std::filesystem::path(path).parent_path().string();
  return ParseScript(path, text, folder.empty() ? "." : folder, files);
}

}  // namespace vsim

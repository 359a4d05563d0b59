#include "sim/script/operations.h"

#include <algorithm>
#include <iterator>

#include "sim/journal/operations.h"

namespace vsim {

namespace {

std::size_t Distance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                        std::tolower(static_cast<unsigned char>(b[j - 1]));
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// Letters a word may be off by and still be taken for a slip.
constexpr std::size_t kLettersPerSlip = 3;

}  // namespace

const std::vector<std::string>& Operations() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> all;
    for (const Operation& operation : kModuleOperations) all.emplace_back(operation.name);
    all.emplace_back(op::kDebugLine.name);
    all.emplace_back(op::kFaultLine.name);
    return all;
  }();
  return names;
}

bool KnownOperation(const std::string& name) {
  const auto& names = Operations();
  return std::find(names.begin(), names.end(), name) != names.end();
}

std::string Nearest(const std::string& word, const std::vector<std::string>& candidates) {
  const std::size_t allowed = std::max<std::size_t>(1, word.size() / kLettersPerSlip);
  std::string best;
  std::size_t best_distance = allowed + 1;
  for (const std::string& c : candidates) {
    const std::size_t d = Distance(word, c);
    if (d < best_distance) {
      best = c;
      best_distance = d;
    }
  }
  return best;
}

std::string DidYouMean(const std::string& word, const std::vector<std::string>& candidates) {
  const std::string near = Nearest(word, candidates);
  return near.empty() ? "" : " (did you mean \"" + near + "\"?)";
}

}  // namespace vsim

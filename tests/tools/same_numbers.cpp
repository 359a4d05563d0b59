// same_numbers A B [TOLERANCE]: compares two text files line by line, their
// numbers within a relative tolerance and everything else exactly. For
// outputs of one flight on two systems, whose maths libraries may differ in
// the last digit. Exit 0 when alike, 1 when not, 2 on bad usage.
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr double kDefaultTolerance = 1e-9;
constexpr int kDifferencesShown = 5;

bool StartsNumber(const std::string& line, std::size_t at) {
  const auto digit = [&](std::size_t i) {
    return i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])) != 0;
  };
  if (digit(at)) return true;
  const char c = line[at];
  if (c == '.') return digit(at + 1);
  if (c == '-' || c == '+')
    return digit(at + 1) || (at + 1 < line.size() && line[at + 1] == '.' && digit(at + 2));
  return false;
}

bool Close(double a, double b, double tolerance) {
  if (a == b) return true;
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return std::fabs(a - b) <= tolerance * std::fmax(1.0, std::fmax(std::fabs(a), std::fabs(b)));
}

// Whether two lines say the same, numbers within the tolerance.
bool SameLine(const std::string& a, const std::string& b, double tolerance) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (StartsNumber(a, i) && StartsNumber(b, j)) {
      char* end_a = nullptr;
      char* end_b = nullptr;
      const double x = std::strtod(a.c_str() + i, &end_a);
      const double y = std::strtod(b.c_str() + j, &end_b);
      if (!Close(x, y, tolerance)) return false;
      i = static_cast<std::size_t>(end_a - a.c_str());
      j = static_cast<std::size_t>(end_b - b.c_str());
    } else if (a[i++] != b[j++]) {
      return false;
    }
  }
  return i == a.size() && j == b.size();
}

bool ReadLines(const char* path, std::vector<std::string>& lines) {
  std::ifstream in(path);
  if (!in) return false;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: same_numbers A B [TOLERANCE]\n");
    return 2;
  }
  const double tolerance = argc == 4 ? std::strtod(argv[3], nullptr) : kDefaultTolerance;
  std::vector<std::string> a, b;
  for (int k : {1, 2}) {
    if (!ReadLines(argv[k], k == 1 ? a : b)) {
      std::fprintf(stderr, "same_numbers: cannot read %s\n", argv[k]);
      return 2;
    }
  }
  int differences = 0;
  for (std::size_t n = 0; n < a.size() && n < b.size(); ++n) {
    if (SameLine(a[n], b[n], tolerance)) continue;
    if (++differences <= kDifferencesShown)
      std::printf("%s:%zu: %s\n%s:%zu: %s\n", argv[1], n + 1, a[n].c_str(), argv[2], n + 1,
                  b[n].c_str());
  }
  if (a.size() != b.size())
    std::printf("%s has %zu lines, %s has %zu\n", argv[1], a.size(), argv[2], b.size());
  if (differences > 0 || a.size() != b.size()) {
    std::printf("%d lines differ beyond a relative %g\n", differences, tolerance);
    return 1;
  }
  std::printf("%zu lines alike within a relative %g\n", a.size(), tolerance);
  return 0;
}

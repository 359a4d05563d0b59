#include "sim/outputs/junit.h"

#include <cstdio>

#include "sim/outputs/xml.h"

namespace vsim {

namespace {

struct Counts {
  std::size_t tests = 0, failures = 0, errors = 0, skipped = 0;
  double seconds = 0;
  void Add(const TestCase& c) {
    ++tests;
    failures += c.status == CaseStatus::kFailed ? 1 : 0;
    errors += c.status == CaseStatus::kError ? 1 : 0;
    skipped += c.status == CaseStatus::kSkipped ? 1 : 0;
    seconds += c.seconds;
  }
};

std::string Seconds(double s) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", s);
  return text;
}

std::string Attributes(const Counts& c) {
  return "tests=\"" + std::to_string(c.tests) + "\" failures=\"" + std::to_string(c.failures) +
         "\" errors=\"" + std::to_string(c.errors) + "\" skipped=\"" + std::to_string(c.skipped) +
         "\" time=\"" + Seconds(c.seconds) + "\"";
}

std::string Failure(const CaseFailure& f, bool error) {
  const std::string first_line = f.message.substr(0, f.message.find('\n'));
  std::string xml = std::string("      <") + (error ? "error" : "failure") + " type=\"" +
                    XmlEscape(f.type) + "\" message=\"" + XmlEscape(first_line) + "\"";
  if (!f.file.empty()) xml += " file=\"" + XmlEscape(f.file) + "\"";
  if (f.line > 0) xml += " line=\"" + std::to_string(f.line) + "\"";
  return xml + ">" + XmlEscape(f.message) + "</" + (error ? "error" : "failure") + ">\n";
}

std::string Case(const TestCase& c) {
  std::string xml = "    <testcase classname=\"" + XmlEscape(c.classname) + "\" name=\"" +
                    XmlEscape(c.name) + "\"";
  if (!c.file.empty()) xml += " file=\"" + XmlEscape(c.file) + "\"";
  xml += " time=\"" + Seconds(c.seconds) + "\">\n";
  for (const CaseFailure& f : c.failures) xml += Failure(f, c.status == CaseStatus::kError);
  if (c.status == CaseStatus::kSkipped)
    xml += "      <skipped message=\"" + XmlEscape(c.skipped) + "\"/>\n";
  if (!c.output.empty()) xml += "      <system-out>" + XmlEscape(c.output) + "</system-out>\n";
  return xml + "    </testcase>\n";
}

}  // namespace

std::string JUnitXml(const std::string& name, const std::vector<TestSuite>& suites) {
  Counts all;
  std::string body;
  for (const TestSuite& s : suites) {
    Counts counts;
    std::string cases;
    for (const TestCase& c : s.cases) {
      counts.Add(c);
      all.Add(c);
      cases += Case(c);
    }
    body += "  <testsuite name=\"" + XmlEscape(s.name) + "\" " + Attributes(counts) + ">\n" +
            cases + "  </testsuite>\n";
  }
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites name=\"" + XmlEscape(name) +
         "\" " + Attributes(all) + ">\n" + body + "</testsuites>\n";
}

}  // namespace vsim

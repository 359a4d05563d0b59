#include "sim/outputs/check_report.h"

#include <cstdio>

#include "sim/files/atomic_file.h"
#include "sim/outputs/xml.h"

namespace vsim {

namespace {

// "file:line: message" -> the line, or 0.
std::string LineOf(const std::string& failure, const std::string& file) {
  if (failure.compare(0, file.size() + 1, file + ":") != 0) return "0";
  const std::size_t start = file.size() + 1;
  return failure.substr(start, failure.find(':', start) - start);
}

std::string Failure(const std::string& type, const std::string& message, const std::string& file) {
  const std::string first_line = message.substr(0, message.find('\n'));
  return "      <failure type=\"" + type + "\" message=\"" + XmlEscape(first_line) + "\" file=\"" +
         XmlEscape(file) + "\" line=\"" + LineOf(message, file) + "\">" + XmlEscape(message) +
         "</failure>\n";
}

}  // namespace

CheckTotals Totals(const std::vector<ScriptCheck>& checks) {
  CheckTotals totals;
  for (const ScriptCheck& c : checks) {
    totals.passed += c.passed;
    totals.failed += static_cast<int>(c.failures.size()) + (c.error.empty() ? 0 : 1);
  }
  return totals;
}

std::string JUnitXml(const std::vector<ScriptCheck>& checks) {
  int failing = 0;
  for (const ScriptCheck& c : checks) failing += c.Failed() ? 1 : 0;
  const std::string counts = "tests=\"" + std::to_string(checks.size()) + "\" failures=\"" +
                             std::to_string(failing) + "\"";
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites " + counts +
                    ">\n  <testsuite name=\"vesselsim check\" " + counts + ">\n";
  for (const ScriptCheck& c : checks) {
    xml += "    <testcase classname=\"vesselsim.check\" name=\"" + XmlEscape(c.file) +
           "\" file=\"" + XmlEscape(c.file) + "\">\n";
    for (const std::string& f : c.failures) xml += Failure("expectation", f, c.file);
    if (!c.error.empty()) xml += Failure("error", c.error, c.file);
    if (c.not_run)
      xml += "      <skipped message=\"not run: an earlier script ended the process\"/>\n";
    xml += "    </testcase>\n";
  }
  return xml + "  </testsuite>\n</testsuites>\n";
}

std::string Json(const std::vector<ScriptCheck>& checks) {
  const CheckTotals totals = Totals(checks);
  std::string json = "{\"passed\": " + std::to_string(totals.passed) +
                     ", \"failed\": " + std::to_string(totals.failed) + ", \"scripts\": [";
  for (std::size_t i = 0; i < checks.size(); ++i) {
    const ScriptCheck& c = checks[i];
    json += std::string(i == 0 ? "" : ", ") + "{\"file\": " + JsonString(c.file) +
            ", \"passed\": " + std::to_string(c.passed) + ", \"failures\": [";
    for (std::size_t f = 0; f < c.failures.size(); ++f)
      json += std::string(f == 0 ? "" : ", ") + "{\"line\": " + LineOf(c.failures[f], c.file) +
              ", \"message\": " + JsonString(c.failures[f]) + "}";
    json += "], \"error\": " + (c.error.empty() ? std::string("null") : JsonString(c.error));
    json += std::string(", \"not_run\": ") + (c.not_run ? "true" : "false") + "}";
  }
  return json + "]}\n";
}

void WriteReport(FileSystem& files, const std::string& path, const std::string& text) {
  AtomicFile file(files, path);
  file.Write(text);
  file.Commit();
}

}  // namespace vsim

// "vesselsim validate": the validator's command line.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <string>
#include <vector>

namespace vesselsim {

struct ValidateSettings {
  std::vector<std::string> modules;
  bool list = false;
  bool only_failed = false;
  bool json = false;
  bool in_process = false;
  bool keep_going = false;
  std::string include, exclude, junit;
  std::uint32_t seed = 1;
  double timeout_s = 30;
  std::string level = "standard";
  std::string html;
  bool warnings_as_errors = false;
  std::string child;  // run this one check here and print its result line
};

CLI::App* AddValidateCommand(CLI::App& app, ValidateSettings& s);
// The exit code: 0 when no check failed.
int RunValidate(const ValidateSettings& s, const std::string& program_dir);

}  // namespace vesselsim

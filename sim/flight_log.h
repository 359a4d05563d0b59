// flight.csv: one row per vessel per step, written to a partial file that
// becomes the log only when the flight completes.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "sim/host.h"

namespace vsim {

class FlightLog {
public:
  FlightLog(const std::string& out_dir, int every);
  ~FlightLog();
  FlightLog(const FlightLog&) = delete;
  FlightLog& operator=(const FlightLog&) = delete;

  // Fixes the columns from the first vessel; later calls change nothing.
  void Columns(Host& host);
  void Row(Host& host);
  void Close();
  void Discard();

private:
  std::string path_;
  std::FILE* file_ = nullptr;
  int every_ = 1;
  bool has_columns_ = false;
  std::vector<THGROUP_TYPE> groups_;
  std::size_t animations_ = 0;
  std::size_t beacons_ = 0;
  std::string line_;
};

const char* GroupName(THGROUP_TYPE type);

}  // namespace vsim

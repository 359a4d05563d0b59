// flight.csv: one row per vessel per step, written to a partial file that
// becomes the log only when the flight completes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/files/atomic_file.h"
#include "sim/journal/format.h"
#include "sim/outputs/fixed_number.h"
#include "sim/outputs/observer.h"

namespace vsim {

struct LogOptions {
  std::string out_dir;
  int every = 1;        // a row every this many steps
  int engine_slot = 0;  // the sound slot whose playback the log shows; 0: none
  // What each animation moves, for its column ("gear" -> anim_gear); an
  // animation without a name is anim_INDEX.
  std::vector<std::string> animation_names;
  // The thruster groups logged, when the vessel declared them; all when
  // not given.
  std::optional<std::vector<THGROUP_TYPE>> groups;
  // Names or glob patterns (* and ?) of the columns to keep; empty: all.
  std::vector<std::string> columns;
};

// Whether a column's name matches a pattern of --columns.
bool ColumnMatches(const std::string& pattern, const std::string& name);

class CsvLog final : public RunObserver {
public:
  // Makes the folder and the partial file; throws FileError.
  CsvLog(FileSystem& files, LogOptions options);
  // The columns come from the first vessel; later ones change nothing.
  // Each vessel's state after creation is a row.
  void VesselCreated(const Host& host, const VesselRecord& vessel) override;
  void StepDone(const Host& host) override;
  void RunEnded(Host& host, bool completed) override;
  void Publish() override;
  void Discard() override {
    used_ = 0;
    file_.reset();
  }

private:
  void WriteHeader(const VesselRecord& v);
  void Keep(std::string& line) const;
  // Formats the row straight into the block of rows.
  void AppendRow(const Host& host, const VesselRecord& v);
  char* Cell(char* at, double value);
  char* Cell(char* at, double value, const Decimals& decimals);
  char* Blank(char* at, std::size_t count = 1);
  void Flush();

  // The cells every row has, whatever the vessel declared.
  static constexpr std::size_t kFixedCells = 26;

  // The text of each cell of the row before, by position: most cells hold
  // what they held a step earlier and need no formatting again.
  struct CachedCell {
    bool known = false;
    std::uint64_t bits = 0;
    std::uint8_t length = 0;
    char text[kNumberText];
  };

  LogOptions options_;
  std::unique_ptr<AtomicFile> file_;
  bool has_columns_ = false;
  std::vector<THGROUP_TYPE> groups_;
  std::size_t animations_ = 0;
  std::size_t beacons_ = 0;
  std::vector<CachedCell> cells_;
  std::vector<bool> kept_;  // by column; empty: every column
  std::size_t cell_ = 0;
  std::unique_ptr<char[]> rows_;
  std::size_t used_ = 0, capacity_ = 0;
};

}  // namespace vsim

#include "sim/outputs/csv_log.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "sim/core/group_names.h"
#include "sim/outputs/fixed_number.h"

namespace vsim {

namespace {

// Simulated time to the microsecond: sums of step lengths carry no digits
// worth reading beyond it.
constexpr Decimals kMicroseconds = DecimalsOf(6);

// Each quantity to the digits it needs: lengths and speeds to the
// millimetre, masses to the gram, angles to the microradian, pressure to
// the hundredth of a pascal. Animation states, levels and thrusts stay exact.
constexpr Decimals kMillimetres = DecimalsOf(3);
constexpr Decimals kGrams = DecimalsOf(3);
constexpr Decimals kMicroradians = DecimalsOf(6);
constexpr Decimals kMilliMach = DecimalsOf(3);
constexpr Decimals kCentipascals = DecimalsOf(2);

// Rows gather here and reach the file in blocks this large.
constexpr std::size_t kRowBlock = std::size_t{64} << 10;
// A row's room beyond its numbers: the step, the separators and line end.
constexpr std::size_t kRowSlack = 64;

// The room a field's text takes at most, quoted.
std::size_t FieldRoom(const std::string& text) { return 2 * text.size() + 2; }

// A field is quoted, as RFC 4180 has it, when it holds a separator, quote
// or line end. Names are a few characters, looked at in every row: a loop
// here is cheaper than the library's search for any of four.
bool NeedsQuotes(const std::string& text) {
  for (char c : text)
    if (c == ',' || c == '"' || c == '\r' || c == '\n') return true;
  return false;
}

char* Field(char* at, const std::string& text) {
  if (!NeedsQuotes(text)) {
    std::memcpy(at, text.data(), text.size());
    return at + text.size();
  }
  *at++ = '"';
  for (char c : text) {
    if (c == '"') *at++ = '"';
    *at++ = c;
  }
  *at++ = '"';
  return at;
}

void Field(std::string& line, const std::string& text) {
  if (!NeedsQuotes(text)) {
    line += text;
    return;
  }
  line += '"';
  for (char c : text) {
    if (c == '"') line += '"';
    line += c;
  }
  line += '"';
}

// The fields of one line of the log, each with its quotes, without the
// line end.
std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields{""};
  bool quoted = false;
  for (const char c : line) {
    if (c == '\n') break;
    if (c == '"') quoted = !quoted;
    if (c == ',' && !quoted)
      fields.emplace_back();
    else
      fields.back() += c;
  }
  return fields;
}

}  // namespace

bool ColumnMatches(const std::string& pattern, const std::string& name) {
  std::size_t p = 0, n = 0, star = std::string::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (star != std::string::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

// Only the chosen columns of a line, in the log's order.
void CsvLog::Keep(std::string& line) const {
  if (kept_.empty()) return;
  const std::vector<std::string> fields = Fields(line);
  std::string kept;
  bool first = true;
  for (std::size_t i = 0; i < fields.size() && i < kept_.size(); ++i) {
    if (!kept_[i]) continue;
    if (!first) kept += ',';
    first = false;
    kept += fields[i];
  }
  line = kept + '\n';
}

CsvLog::CsvLog(FileSystem& files, LogOptions options) : options_(std::move(options)) {
  if (options_.every < 1) options_.every = 1;
  std::string why;
  if (!files.MakeDirectories(options_.out_dir, why))
    throw FileError("cannot create the output folder " + options_.out_dir + ": " + why);
  file_ = std::make_unique<AtomicFile>(files, options_.out_dir + "/flight.csv");
}

void CsvLog::VesselCreated(const Host& host, const VesselRecord& v) {
  WriteHeader(v);
  // Its state after creation, so that step 0 has a row too.
  if (host.StepCount() % options_.every != 0) return;
  cell_ = 0;
  AppendRow(host, v);
}

void CsvLog::WriteHeader(const VesselRecord& v) {
  if (has_columns_) return;
  const auto& logged = options_.groups;
  for (const ThrusterGroup& g : v.declared.groups)
    if (!logged || std::find(logged->begin(), logged->end(), g.type) != logged->end())
      groups_.push_back(g.type);
  animations_ = v.declared.animations.size();
  beacons_ = v.declared.beacons.size();
  std::string header =
      "step,time_s,vessel,x_m,y_m,z_m,altitude_m,airspeed_mps,airspeed_x_mps,airspeed_y_mps,"
      "airspeed_z_mps,heading_rad,ground,fuel_kg,timeacc,pitch_rad,bank_rad,rate_pitch_radps,"
      "rate_yaw_radps,rate_bank_radps,vspeed_mps,groundspeed_mps,aoa_rad,slip_rad,mach,"
      "dynpressure_pa";
  for (THGROUP_TYPE g : groups_) {
    header += std::string(",") + NameOf(g) + "_level";
    header += std::string(",") + NameOf(g) + "_max_N";
  }
  const auto& names = options_.animation_names;
  for (std::size_t i = 0; i < animations_; ++i) {
    header += ',';
    Field(header, "anim_" + (i < names.size() ? names[i] : std::to_string(i)));
  }
  for (std::size_t i = 0; i < beacons_; ++i) header += ",beacon_" + std::to_string(i + 1);
  header += ",engine_frequency_hz,engine_volume\n";
  if (!options_.columns.empty()) {
    const std::vector<std::string> names = Fields(header);
    kept_.assign(names.size(), false);
    for (const std::string& pattern : options_.columns) {
      bool matched = false;
      for (std::size_t i = 0; i < names.size(); ++i)
        if (ColumnMatches(pattern, names[i])) matched = kept_[i] = true;
      if (!matched)
        throw FileError("--columns: \"" + pattern + "\" names no column of " + v.name +
                        "'s log (its columns: " + header.substr(0, header.size() - 1) + ")");
    }
    Keep(header);
  }
  Flush();
  file_->Write(header);
  has_columns_ = true;
}

void CsvLog::StepDone(const Host& host) {
  if (!has_columns_ || host.StepCount() % options_.every != 0) return;
  for (const auto& vessel : host.Vessels()) {
    cell_ = 0;
    AppendRow(host, *vessel);
  }
}

void CsvLog::Flush() {
  if (used_ > 0 && file_) file_->Write(std::string_view(rows_.get(), used_));
  used_ = 0;
}

[[gnu::always_inline]] inline char* CsvLog::Cell(char* at, double value) {
  *at++ = ',';
  CachedCell& cell = cells_[cell_++];
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  if (!cell.known || cell.bits != bits) {
    cell.known = true;
    cell.bits = bits;
    cell.length = static_cast<std::uint8_t>(WriteRecentNumber(cell.text, value) - cell.text);
  }
  std::memcpy(at, cell.text, kNumberText);
  return at + cell.length;
}

// Cached by the units the value rounds to: a quantity that moves less
// than its last digit is not written again.
[[gnu::always_inline]] inline char* CsvLog::Cell(char* at, double value, const Decimals& d) {
  *at++ = ',';
  CachedCell& cell = cells_[cell_++];
  const double units = Units(value, d);
  std::uint64_t bits = 0;
  std::memcpy(&bits, &units, sizeof bits);
  if (!cell.known || cell.bits != bits) {
    cell.known = true;
    cell.bits = bits;
    cell.length = static_cast<std::uint8_t>(WriteUnits(cell.text, units, d) - cell.text);
  }
  std::memcpy(at, cell.text, kNumberText);
  return at + cell.length;
}

char* CsvLog::Blank(char* at, std::size_t count) {
  std::memset(at, ',', count);
  cell_ += count;
  return at + count;
}

void CsvLog::AppendRow(const Host& host, const VesselRecord& v) {
  const std::size_t cells = kFixedCells + 2 * groups_.size() + animations_ + beacons_;
  if (cells_.size() < cells) cells_.resize(cells);
  // Each cell's text is copied whole from its cache: room for that too.
  const std::size_t room = (cells + 1) * kNumberText + FieldRoom(v.name) + kRowSlack;
  if (used_ + room > capacity_) {
    Flush();
    if (room > capacity_) {
      capacity_ = std::max(kRowBlock, room);
      rows_ = std::make_unique<char[]>(capacity_);
    }
  }
  char* const row = rows_.get() + used_;
  char* at = std::to_chars(row, row + kNumberText, host.StepCount()).ptr;
  const Readings& r = v.readings;
  at = Cell(at, host.SimTime(), kMicroseconds);
  *at++ = ',';
  at = Field(at, v.name);
  for (double x : {v.flight.position.x, v.flight.position.y, v.flight.position.z, r.altitude,
                   r.airspeed, r.airspeed_vector.x, r.airspeed_vector.y, r.airspeed_vector.z})
    at = Cell(at, x, kMillimetres);
  at = Cell(at, r.heading, kMicroradians);
  at = Cell(at, r.ground_contact ? 1.0 : 0.0);
  at = Cell(at, v.FuelMass(), kGrams);
  at = Cell(at, host.TimeAcceleration());
  const FlightState& s = v.flight;
  for (double x : {r.pitch, r.bank, s.PitchRate(), s.YawRate(), s.BankRate()})
    at = Cell(at, x, kMicroradians);
  at = Cell(at, s.VerticalSpeed(), kMillimetres);
  at = Cell(at, s.GroundSpeed(), kMillimetres);
  at = Cell(at, r.aoa, kMicroradians);
  at = Cell(at, r.slip, kMicroradians);
  at = Cell(at, r.mach, kMilliMach);
  at = Cell(at, r.dynamic_pressure, kCentipascals);
  for (THGROUP_TYPE g : groups_) {
    const Thruster* t = v.GroupMember(g);
    if (t == nullptr) {
      at = Blank(at, 2);
      continue;
    }
    at = Cell(at, t->level);
    at = Cell(at, t->max0);
  }
  const Declared& d = v.declared;
  for (std::size_t i = 0; i < animations_; ++i)
    at = i < d.animations.size() ? Cell(at, d.animations[i].state) : Blank(at);
  for (std::size_t i = 0; i < beacons_; ++i)
    at = i < d.beacons.size() ? Cell(at, d.beacons[i]->active ? 1 : 0) : Blank(at);
  const auto engine = v.sound.slots.find(options_.engine_slot);
  const bool playing = engine != v.sound.slots.end() && engine->second.last == "play";
  at = Cell(at, playing ? engine->second.frequency : 0);
  at = Cell(at, playing ? engine->second.volume : 0);
  *at++ = '\n';
  if (!kept_.empty()) {
    std::string line(row, at);
    Keep(line);
    std::memcpy(row, line.data(), line.size());
    at = row + line.size();
  }
  used_ = static_cast<std::size_t>(at - rows_.get());
}

void CsvLog::RunEnded(Host&, bool completed) {
  if (!file_) return;
  if (!completed) return Discard();
  Flush();
  file_->Close();
}

void CsvLog::Publish() {
  if (!file_) return;
  const std::unique_ptr<AtomicFile> file = std::move(file_);
  file->Publish();
}

}  // namespace vsim

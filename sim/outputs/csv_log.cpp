#include "sim/outputs/csv_log.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "sim/core/group_names.h"

namespace vsim {

namespace {

// Simulated time to the microsecond: sums of step lengths carry no digits
// worth reading beyond it.
constexpr double kTicksPerSecond = 1e6;

// Each quantity to the digits it needs: lengths and speeds to the
// millimetre, masses to the gram, angles to the microradian, pressure to
// the hundredth of a pascal. Animation states, levels and thrusts stay exact.
constexpr double kPerMillimetre = 1e3;
constexpr double kPerGram = 1e3;
constexpr double kPerMicroradian = 1e6;
constexpr double kPerMilliMach = 1e3;
constexpr double kPerCentipascal = 1e2;

double To(double value, double per_unit) { return std::round(value * per_unit) / per_unit; }

// A field quoted as RFC 4180 has it when it holds a separator, quote or
// line end.
void Field(std::string& line, const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) {
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
  line_.clear();
  AppendRow(host, v);
  Keep(line_);
  file_->Write(line_);
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
  file_->Write(header);
  has_columns_ = true;
}

void CsvLog::StepDone(const Host& host) {
  if (!has_columns_ || host.StepCount() % options_.every != 0) return;
  cell_ = 0;
  for (const auto& vessel : host.Vessels()) {
    line_.clear();
    AppendRow(host, *vessel);
    Keep(line_);
    file_->Write(line_);
  }
}

void CsvLog::Cell(double value) {
  line_ += ',';
  if (cell_ >= cells_.size()) cells_.resize(cell_ + 1);
  CachedCell& cell = cells_[cell_++];
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  if (!cell.known || cell.bits != bits) {
    cell.known = true;
    cell.bits = bits;
    cell.length = static_cast<std::uint8_t>(WriteNumber(cell.text, value) - cell.text);
  }
  line_.append(cell.text, cell.length);
}

void CsvLog::Blank(std::size_t count) {
  line_.append(count, ',');
  cell_ += count;
}

void CsvLog::AppendRow(const Host& host, const VesselRecord& v) {
  const Readings& r = v.readings;
  line_ += std::to_string(host.StepCount());
  Cell(std::round(host.SimTime() * kTicksPerSecond) / kTicksPerSecond);
  line_ += ',';
  Field(line_, v.name);
  for (double x : {v.flight.position.x, v.flight.position.y, v.flight.position.z, r.altitude,
                   r.airspeed, r.airspeed_vector.x, r.airspeed_vector.y, r.airspeed_vector.z})
    Cell(To(x, kPerMillimetre));
  Cell(To(r.heading, kPerMicroradian));
  Cell(r.ground_contact ? 1.0 : 0.0);
  Cell(To(v.FuelMass(), kPerGram));
  Cell(host.TimeAcceleration());
  const FlightState& s = v.flight;
  for (double x : {r.pitch, r.bank, s.PitchRate(), s.YawRate(), s.BankRate()})
    Cell(To(x, kPerMicroradian));
  Cell(To(s.VerticalSpeed(), kPerMillimetre));
  Cell(To(s.GroundSpeed(), kPerMillimetre));
  Cell(To(r.aoa, kPerMicroradian));
  Cell(To(r.slip, kPerMicroradian));
  Cell(To(r.mach, kPerMilliMach));
  Cell(To(r.dynamic_pressure, kPerCentipascal));
  for (THGROUP_TYPE g : groups_) {
    const Thruster* t = v.GroupMember(g);
    if (t == nullptr) {
      Blank(2);
      continue;
    }
    Cell(t->level);
    Cell(t->max0);
  }
  const Declared& d = v.declared;
  for (std::size_t i = 0; i < animations_; ++i)
    i < d.animations.size() ? Cell(d.animations[i].state) : Blank();
  for (std::size_t i = 0; i < beacons_; ++i)
    i < d.beacons.size() ? Cell(d.beacons[i]->active ? 1 : 0) : Blank();
  const auto engine = v.sound.slots.find(options_.engine_slot);
  const bool playing = engine != v.sound.slots.end() && engine->second.last == "play";
  Cell(playing ? engine->second.frequency : 0);
  Cell(playing ? engine->second.volume : 0);
  line_ += '\n';
}

void CsvLog::RunEnded(Host&, bool completed) {
  if (!file_) return;
  if (!completed) return Discard();
  file_->Close();
}

void CsvLog::Publish() {
  if (!file_) return;
  const std::unique_ptr<AtomicFile> file = std::move(file_);
  file->Publish();
}

}  // namespace vsim

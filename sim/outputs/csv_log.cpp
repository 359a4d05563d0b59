#include "sim/outputs/csv_log.h"

#include <cmath>

namespace vsim {

namespace {

void Cell(std::string& line, double value) {
  line += ',';
  AppendNumber(line, value);
}

void Blank(std::string& line, std::size_t count = 1) { line.append(count, ','); }

// Simulated time to the microsecond: sums of step lengths carry no digits
// worth reading beyond it.
constexpr double kTicksPerSecond = 1e6;

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

const char* GroupName(THGROUP_TYPE type) {
  static const char* const kNames[] = {"main",    "retro",    "hover",    "pitchup",   "pitchdown",
                                       "yawleft", "yawright", "bankleft", "bankright", "right",
                                       "left",    "up",       "down",     "forward",   "back"};
  const auto index = static_cast<std::size_t>(type);
  return index < sizeof kNames / sizeof kNames[0] ? kNames[index] : "group";
}

}  // namespace

CsvLog::CsvLog(FileSystem& files, LogOptions options) : options_(std::move(options)) {
  if (options_.every < 1) options_.every = 1;
  std::string why;
  if (!files.MakeDirectories(options_.out_dir, why))
    throw FileError("cannot create the output folder " + options_.out_dir + ": " + why);
  file_ = std::make_unique<AtomicFile>(files, options_.out_dir + "/flight.csv");
}

void CsvLog::VesselCreated(const Host&, const VesselRecord& v) {
  if (has_columns_) return;
  for (const ThrusterGroup& g : v.declared.groups) groups_.push_back(g.type);
  animations_ = v.declared.animations.size();
  beacons_ = v.declared.beacons.size();
  std::string header =
      "step,time_s,vessel,x_m,y_m,z_m,altitude_m,airspeed_mps,airspeed_x_mps,airspeed_y_mps,"
      "airspeed_z_mps,heading_rad,ground,fuel_kg,timeacc";
  for (THGROUP_TYPE g : groups_) {
    header += std::string(",") + GroupName(g) + "_level";
    header += std::string(",") + GroupName(g) + "_max_N";
  }
  const auto& names = options_.animation_names;
  for (std::size_t i = 0; i < animations_; ++i)
    header += ",anim_" + (i < names.size() ? names[i] : std::to_string(i));
  for (std::size_t i = 0; i < beacons_; ++i) header += ",beacon_" + std::to_string(i + 1);
  header += ",engine_frequency_hz,engine_volume\n";
  file_->Write(header);
  has_columns_ = true;
}

void CsvLog::StepDone(const Host& host) {
  if (!has_columns_ || host.StepCount() % options_.every != 0) return;
  for (const auto& vessel : host.Vessels()) {
    line_.clear();
    AppendRow(host, *vessel);
    file_->Write(line_);
  }
}

void CsvLog::AppendRow(const Host& host, const VesselRecord& v) {
  const Readings& r = v.readings;
  line_ += std::to_string(host.StepCount());
  Cell(line_, std::round(host.SimTime() * kTicksPerSecond) / kTicksPerSecond);
  line_ += ',';
  Field(line_, v.name);
  for (double x : {v.flight.position.x, v.flight.position.y, v.flight.position.z, r.altitude,
                   r.airspeed, r.airspeed_vector.x, r.airspeed_vector.y, r.airspeed_vector.z,
                   r.heading, r.ground_contact ? 1.0 : 0.0, v.FuelMass(), host.TimeAcceleration()})
    Cell(line_, x);
  for (THGROUP_TYPE g : groups_) {
    const Thruster* t = v.GroupMember(g);
    if (t == nullptr) {
      Blank(line_, 2);
      continue;
    }
    Cell(line_, t->level);
    Cell(line_, t->max0);
  }
  const Declared& d = v.declared;
  for (std::size_t i = 0; i < animations_; ++i)
    i < d.animations.size() ? Cell(line_, d.animations[i].state) : Blank(line_);
  for (std::size_t i = 0; i < beacons_; ++i)
    i < d.beacons.size() ? Cell(line_, d.beacons[i]->active ? 1 : 0) : Blank(line_);
  const auto engine = v.sound.slots.find(options_.engine_slot);
  const bool playing = engine != v.sound.slots.end() && engine->second.last == "play";
  Cell(line_, playing ? engine->second.frequency : 0);
  Cell(line_, playing ? engine->second.volume : 0);
  line_ += '\n';
}

void CsvLog::RunEnded(Host&, bool completed) {
  if (!file_) return;
  std::unique_ptr<AtomicFile> file = std::move(file_);
  if (completed) file->Commit();
}

}  // namespace vsim

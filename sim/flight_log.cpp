#include "sim/flight_log.h"

#include <sys/stat.h>

#include <cerrno>

namespace vsim {

namespace {

void MakeDirectories(const std::string& dir) {
  std::string partial;
  for (std::size_t i = 0; i <= dir.size(); ++i) {
    if (i == dir.size() || dir[i] == '/') {
      if (!partial.empty() && mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST)
        throw HostError("cannot create the output folder " + dir);
    }
    if (i < dir.size()) partial += dir[i];
  }
}

void Cell(std::string& line, double value) {
  line += ',';
  line += FormatNumber(value);
}

}  // namespace

const char* GroupName(THGROUP_TYPE type) {
  static const char* const kNames[] = {"main",    "retro",    "hover",    "pitchup",   "pitchdown",
                                       "yawleft", "yawright", "bankleft", "bankright", "right",
                                       "left",    "up",       "down",     "forward",   "back"};
  const auto index = static_cast<std::size_t>(type);
  return index < sizeof kNames / sizeof kNames[0] ? kNames[index] : "group";
}

FlightLog::FlightLog(const std::string& out_dir, int every)
    : path_(out_dir + "/flight.csv"), every_(every < 1 ? 1 : every) {
  MakeDirectories(out_dir);
  file_ = std::fopen((path_ + ".partial").c_str(), "wb");
  if (file_ == nullptr) throw HostError("cannot write " + path_);
}

FlightLog::~FlightLog() { Discard(); }

void FlightLog::Columns(Host& host) {
  if (has_columns_ || host.Vessels().empty()) return;
  const VesselRecord& v = *host.Vessels().front();
  for (const ThrusterGroup& g : v.groups) groups_.push_back(g.type);
  animations_ = v.animations.size();
  beacons_ = v.beacons.size();
  std::string header =
      "step,time,vessel,x,y,z,altitude,airspeed,airspeed_x,airspeed_y,airspeed_z,heading,ground,"
      "fuel,timeacc";
  for (THGROUP_TYPE g : groups_) {
    header += std::string(",") + GroupName(g) + "_level";
    header += std::string(",") + GroupName(g) + "_max";
  }
  for (std::size_t i = 0; i < animations_; ++i) header += ",anim_" + std::to_string(i);
  for (std::size_t i = 0; i < beacons_; ++i) header += ",beacon_" + std::to_string(i + 1);
  header += ",engine_frequency,engine_volume\n";
  std::fputs(header.c_str(), file_);
  has_columns_ = true;
}

void FlightLog::Row(Host& host) {
  if (!has_columns_ || host.StepCount() % every_ != 0) return;
  for (const auto& vessel : host.Vessels()) {
    const VesselRecord& v = *vessel;
    const Readings& r = v.readings;
    line_.clear();
    line_ += std::to_string(host.StepCount());
    Cell(line_, host.SimTime());
    line_ += ',' + v.name;
    Cell(line_, v.flight.position.x);
    Cell(line_, v.flight.position.y);
    Cell(line_, v.flight.position.z);
    Cell(line_, r.altitude);
    Cell(line_, r.airspeed);
    Cell(line_, r.airspeed_vector.x);
    Cell(line_, r.airspeed_vector.y);
    Cell(line_, r.airspeed_vector.z);
    Cell(line_, r.heading);
    Cell(line_, r.ground_contact ? 1 : 0);
    Cell(line_, v.FuelMass());
    Cell(line_, host.TimeAcceleration());
    for (THGROUP_TYPE g : groups_) {
      const Thruster* t = v.GroupMember(g);
      if (t == nullptr) {
        line_ += ",,";
        continue;
      }
      Cell(line_, t->level);
      Cell(line_, t->max0);
    }
    for (std::size_t i = 0; i < animations_; ++i) {
      if (i < v.animations.size())
        Cell(line_, v.animations[i].state);
      else
        line_ += ',';
    }
    for (std::size_t i = 0; i < beacons_; ++i) {
      if (i < v.beacons.size())
        Cell(line_, v.beacons[i]->active ? 1 : 0);
      else
        line_ += ',';
    }
    const auto engine = v.sound_slots.find(1);
    const bool playing = engine != v.sound_slots.end() && engine->second.last == "play";
    Cell(line_, playing ? engine->second.frequency : 0);
    Cell(line_, playing ? engine->second.volume : 0);
    line_ += '\n';
    std::fwrite(line_.data(), 1, line_.size(), file_);
  }
}

void FlightLog::Close() {
  if (file_ == nullptr) return;
  const bool ok = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!ok || std::rename((path_ + ".partial").c_str(), path_.c_str()) != 0)
    throw HostError("cannot write " + path_);
}

void FlightLog::Discard() {
  if (file_ == nullptr) return;
  std::fclose(file_);
  file_ = nullptr;
  std::remove((path_ + ".partial").c_str());
}

}  // namespace vsim

#include <cmath>

#include "sim/outputs/svg_plot.h"

namespace vsim {

namespace {

constexpr double kDegreesPerRadian = 180.0 / PI;
// A state falling by more than this in one step has wrapped round.
constexpr double kWrap = 0.5;

VesselSeries& SeriesOf(PlotData& data, const std::string& name) {
  for (VesselSeries& s : data.vessels)
    if (s.name == name) return s;
  data.vessels.push_back({});
  data.vessels.back().name = name;
  return data.vessels.back();
}

// Every step, sampled or not: the turns of each animation that wraps.
void Track(VesselSeries& s, const VesselRecord& v, const PlotLayout& layout) {
  const auto& animations = v.declared.animations;
  s.turning.resize(layout.animations.size());
  s.wraps.resize(layout.animations.size());
  for (std::size_t i = 0; i < layout.animations.size(); ++i) {
    const UINT index = layout.animations[i].index;
    const double state = index < animations.size() ? animations[index].state : NAN;
    VesselSeries::Turning& t = s.turning[i];
    if (t.last - state > kWrap) {
      t.turns += 1;
      s.wraps[i] = true;
    }
    t.last = state;
  }
}

template <typename Fn>
void ForEachSeries(VesselSeries& s, Fn fn) {
  for (auto* v : {&s.altitude, &s.airspeed, &s.heading_deg, &s.vertical_speed, &s.main_level,
                  &s.hover_level, &s.engine_frequency, &s.pitch_deg, &s.bank_deg, &s.pitch_rate_dps,
                  &s.yaw_rate_dps, &s.bank_rate_dps, &s.rudder, &s.time_acceleration})
    fn(*v);
  for (auto& a : s.animations) fn(a);
}

void KeepEverySecond(std::vector<double>& v) {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < v.size(); i += 2) v[kept++] = v[i];
  v.resize(kept);
}

void Pad(VesselSeries& s, std::size_t length, std::size_t animations) {
  for (auto* v : {&s.altitude, &s.airspeed, &s.heading_deg, &s.vertical_speed, &s.main_level,
                  &s.hover_level, &s.engine_frequency, &s.pitch_deg, &s.bank_deg, &s.pitch_rate_dps,
                  &s.yaw_rate_dps, &s.bank_rate_dps, &s.rudder, &s.time_acceleration})
    v->resize(length, NAN);
  s.animations.resize(animations);
  for (auto& a : s.animations) a.resize(length, NAN);
}

void Append(VesselSeries& s, const Host& host, const VesselRecord& v, const PlotLayout& layout,
            int engine_slot) {
  s.rudder.push_back(v.controls.rudder);
  s.time_acceleration.push_back(host.TimeAcceleration());
  s.altitude.push_back(v.readings.altitude);
  s.airspeed.push_back(v.readings.airspeed);
  s.heading_deg.push_back(v.readings.heading * kDegreesPerRadian);
  s.vertical_speed.push_back(v.flight.VerticalSpeed());
  s.pitch_deg.push_back(v.readings.pitch * kDegreesPerRadian);
  s.bank_deg.push_back(v.readings.bank * kDegreesPerRadian);
  s.pitch_rate_dps.push_back(v.flight.PitchRate() * kDegreesPerRadian);
  s.yaw_rate_dps.push_back(v.flight.YawRate() * kDegreesPerRadian);
  s.bank_rate_dps.push_back(v.flight.BankRate() * kDegreesPerRadian);
  const Thruster* main = v.GroupMember(THGROUP_MAIN);
  const Thruster* hover = v.GroupMember(THGROUP_HOVER);
  s.main_level.push_back(main != nullptr ? main->level : NAN);
  s.hover_level.push_back(hover != nullptr ? hover->level : NAN);
  const auto engine = v.sound.slots.find(engine_slot);
  const bool playing = engine != v.sound.slots.end() && engine->second.last == "play";
  s.engine_frequency.push_back(playing ? engine->second.frequency : 0);
  for (std::size_t i = 0; i < layout.animations.size(); ++i)
    s.animations[i].push_back(s.turning[i].last + s.turning[i].turns);
}

}  // namespace

void PlotData::Sample(const Host& host, int engine_slot) {
  for (const auto& vessel : host.Vessels()) Track(SeriesOf(*this, vessel->name), *vessel, layout);
  if (steps++ % stride != 0) return;
  const std::size_t before = time.size();
  time.push_back(host.SimTime());
  for (const auto& vessel : host.Vessels()) {
    VesselSeries& s = SeriesOf(*this, vessel->name);
    Pad(s, before, layout.animations.size());
    Append(s, host, *vessel, layout, engine_slot);
    sound_seen = sound_seen || vessel->sound.id >= 0;
  }
  for (VesselSeries& s : vessels) Pad(s, time.size(), layout.animations.size());
  if (time.size() >= min_samples && time.size() * vessels.size() >= max_values) Thin();
}

void PlotData::Thin() {
  KeepEverySecond(time);
  for (VesselSeries& s : vessels) ForEachSeries(s, KeepEverySecond);
  stride *= 2;
}

}  // namespace vsim

#include <cmath>

#include "sim/outputs/svg_plot.h"

namespace vsim {

namespace {

constexpr double kDegreesPerRadian = 180.0 / PI;

VesselSeries& SeriesOf(PlotData& data, const std::string& name) {
  for (VesselSeries& s : data.vessels)
    if (s.name == name) return s;
  data.vessels.push_back({});
  data.vessels.back().name = name;
  return data.vessels.back();
}

void Pad(VesselSeries& s, std::size_t length, std::size_t animations) {
  for (auto* v : {&s.altitude, &s.airspeed, &s.heading_deg, &s.vertical_speed, &s.main_level,
                  &s.hover_level, &s.engine_frequency})
    v->resize(length, NAN);
  s.animations.resize(animations);
  for (auto& a : s.animations) a.resize(length, NAN);
}

void Append(VesselSeries& s, const VesselRecord& v, const PlotLayout& layout, int engine_slot) {
  s.altitude.push_back(v.readings.altitude);
  s.airspeed.push_back(v.readings.airspeed);
  s.heading_deg.push_back(v.readings.heading * kDegreesPerRadian);
  s.vertical_speed.push_back(v.readings.airspeed_vector.y);
  const Thruster* main = v.GroupMember(THGROUP_MAIN);
  const Thruster* hover = v.GroupMember(THGROUP_HOVER);
  s.main_level.push_back(main != nullptr ? main->level : NAN);
  s.hover_level.push_back(hover != nullptr ? hover->level : NAN);
  const auto engine = v.sound.slots.find(engine_slot);
  const bool playing = engine != v.sound.slots.end() && engine->second.last == "play";
  s.engine_frequency.push_back(playing ? engine->second.frequency : 0);
  const auto& animations = v.declared.animations;
  for (std::size_t i = 0; i < layout.animations.size(); ++i) {
    const UINT index = layout.animations[i].index;
    s.animations[i].push_back(index < animations.size() ? animations[index].state : NAN);
  }
}

}  // namespace

void PlotData::Sample(const Host& host, int engine_slot) {
  const std::size_t before = time.size();
  time.push_back(host.SimTime());
  for (const auto& vessel : host.Vessels()) {
    VesselSeries& s = SeriesOf(*this, vessel->name);
    Pad(s, before, layout.animations.size());
    Append(s, *vessel, layout, engine_slot);
    sound_seen = sound_seen || vessel->sound.id >= 0;
  }
  for (VesselSeries& s : vessels) Pad(s, time.size(), layout.animations.size());
}

}  // namespace vsim

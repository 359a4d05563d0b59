#include <algorithm>
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

constexpr std::size_t kNamedSeries = 14;
// Reduce waits for a multiple of four samples.
constexpr std::size_t kSamplesPastTheLimit = 3;

// Only a vessel that appeared or went since the last sample needs it. Its
// series get room for all the samples they hold before the first reduction
// at once, rather than growing (and copying) step by step to it.
template <typename Room>
void Pad(VesselSeries& s, std::size_t length, std::size_t animations, Room room_of) {
  if (s.altitude.size() == length && s.animations.size() == animations &&
      s.gathering.size() == kNamedSeries + animations &&
      (animations == 0 || s.animations.back().size() == length))
    return;
  s.animations.resize(animations);
  s.gathering.resize(kNamedSeries + animations);
  const std::size_t room = room_of();
  ForEachSeries(s, [&](std::vector<double>& v) {
    v.reserve(room);
    v.resize(length, NAN);
  });
}

// A vessel's values at this step, in the order of ForEachSeries.
template <typename Put>
void Values(const VesselSeries& s, const Host& host, const VesselRecord& v,
            const PlotLayout& layout, int engine_slot, Put put) {
  const Thruster* main = v.GroupMember(THGROUP_MAIN);
  const Thruster* hover = v.GroupMember(THGROUP_HOVER);
  const auto engine = v.sound.slots.find(engine_slot);
  const bool playing = engine != v.sound.slots.end() && engine->second.last == "play";
  put(v.readings.altitude);
  put(v.readings.airspeed);
  put(v.readings.heading * kDegreesPerRadian);
  put(v.flight.VerticalSpeed());
  put(main != nullptr ? main->level : NAN);
  put(hover != nullptr ? hover->level : NAN);
  put(playing ? engine->second.frequency : 0);
  put(v.readings.pitch * kDegreesPerRadian);
  put(v.readings.bank * kDegreesPerRadian);
  put(v.flight.PitchRate() * kDegreesPerRadian);
  put(v.flight.YawRate() * kDegreesPerRadian);
  put(v.flight.BankRate() * kDegreesPerRadian);
  put(v.controls.rudder);
  put(host.TimeAcceleration());
  for (std::size_t i = 0; i < layout.animations.size(); ++i)
    put(s.turning[i].last + s.turning[i].turns);
}

}  // namespace

void PlotData::Sample(const Host& host, int engine_slot) {
  for (const auto& vessel : host.Vessels()) Track(SeriesOf(*this, vessel->name), *vessel, layout);
  ++steps;
  const std::size_t animations = layout.animations.size();
  // Asked for only where a vessel's series are made.
  const auto room = [this] { return Room(); };
  if (!Reduced()) {
    const std::size_t before = time.size();
    if (before == 0) time.reserve(Room());
    time.push_back(host.SimTime());
    for (const auto& vessel : host.Vessels()) {
      VesselSeries& s = SeriesOf(*this, vessel->name);
      Pad(s, before, animations, room);
      std::vector<double>* const columns[kNamedSeries] = {
          &s.altitude,   &s.airspeed,         &s.heading_deg,      &s.vertical_speed,
          &s.main_level, &s.hover_level,      &s.engine_frequency, &s.pitch_deg,
          &s.bank_deg,   &s.pitch_rate_dps,   &s.yaw_rate_dps,     &s.bank_rate_dps,
          &s.rudder,     &s.time_acceleration};
      std::size_t k = 0;
      Values(s, host, *vessel, layout, engine_slot, [&](double x) {
        (k < kNamedSeries ? *columns[k] : s.animations[k - kNamedSeries]).push_back(x);
        ++k;
      });
      sound_seen = sound_seen || vessel->sound.id >= 0;
    }
    for (VesselSeries& s : vessels) Pad(s, time.size(), animations, room);
  } else {
    time_gathering_.Add(host.SimTime());
    for (const auto& vessel : host.Vessels()) {
      VesselSeries& s = SeriesOf(*this, vessel->name);
      s.gathering.resize(kNamedSeries + animations);
      std::size_t k = 0;
      Values(s, host, *vessel, layout, engine_slot, [&](double x) { s.gathering[k++].Add(x); });
      sound_seen = sound_seen || vessel->sound.id >= 0;
    }
    if (++gathered_ == interval) PutGathered();
  }
  if (time.size() >= min_samples && time.size() * vessels.size() >= max_values &&
      time.size() % 4 == 0)
    Reduce();
}

std::size_t PlotData::Room() const {
  return std::max(min_samples, max_values / std::max<std::size_t>(vessels.size(), 1)) +
         kSamplesPastTheLimit;
}

void PlotData::PutGathered() {
  const std::size_t before = time.size();
  PutEnds(time, time_gathering_);
  for (VesselSeries& s : vessels) {
    Pad(s, before, layout.animations.size(), [this] { return Room(); });
    std::size_t k = 0;
    ForEachSeries(s, [&](std::vector<double>& v) { PutExtremes(v, s.gathering[k++]); });
  }
  gathered_ = 0;
}

void PlotData::Finish() {
  if (gathered_ > 0) PutGathered();
}

void PlotData::Reduce() {
  JoinEnds(time);
  for (VesselSeries& s : vessels) ForEachSeries(s, [](std::vector<double>& v) { JoinExtremes(v); });
  interval *= 2;
}

}  // namespace vsim

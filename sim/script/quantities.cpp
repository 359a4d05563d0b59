#include "sim/script/quantities.h"

#include <iterator>
#include <vector>

#include "sim/script/numbers.h"

namespace vsim {

namespace {

using Ctx = QuantityContext;
constexpr int kAny = 999'999'999;
constexpr auto kNum = QuantityKind::kNumber;
constexpr auto kText = QuantityKind::kText;

Value Num(double x) { return Value{false, x, {}}; }
Value Text(std::string s) { return Value{true, 0, std::move(s)}; }

[[noreturn]] void Missing(const VesselRecord& v, const std::string& what) {
  throw QuantityError(v.name + " has " + what);
}

enum class Which { kMain, kHover, kIndexed };
enum class Field { kMax, kLevel, kDirX, kDirY, kDirZ };

template <Which W>
Thruster& ThrusterOf(const Ctx& c, int index) {
  Declared& d = c.vessel.declared;
  Thruster* t = nullptr;
  if (W == Which::kMain) t = c.vessel.GroupMember(THGROUP_MAIN);
  if (W == Which::kHover) t = c.vessel.GroupMember(THGROUP_HOVER);
  if (W == Which::kIndexed && static_cast<std::size_t>(index) <= d.thrusters.size())
    t = &d.thrusters[static_cast<std::size_t>(index - 1)];
  if (t == nullptr) Missing(c.vessel, "no such thruster");
  return *t;
}

template <Which W, Field F>
Value ReadThruster(const Ctx& c, int index) {
  const Thruster& t = ThrusterOf<W>(c, index);
  switch (F) {
    case Field::kMax: return Num(t.max0);
    case Field::kLevel: return Num(t.level);
    case Field::kDirX: return Num(t.dir.x);
    case Field::kDirY: return Num(t.dir.y);
    case Field::kDirZ: return Num(t.dir.z);
  }
  return Num(0);
}

template <int I>
Value ReadCw(const Ctx& c, int) {
  return Num(c.vessel.declared.cw[I]);
}

template <int Axis>
Value ReadTouchdown(const Ctx& c, int index) {
  const VECTOR3& p = c.vessel.declared.touchdown[index - 1];
  return Num(Axis == 0 ? p.x : Axis == 1 ? p.y : p.z);
}

template <bool Longitudinal>
Value ReadFriction(const Ctx& c, int) {
  const auto& mu = Longitudinal ? c.vessel.declared.friction_lng : c.vessel.declared.friction_lat;
  if (!mu) Missing(c.vessel, "set no friction coefficients");
  return Num(*mu);
}

Value ReadAnimation(const Ctx& c, int index) {
  const auto& animations = c.vessel.declared.animations;
  if (static_cast<std::size_t>(index) >= animations.size())
    Missing(c.vessel, "no animation " + std::to_string(index));
  return Num(animations[static_cast<std::size_t>(index)].state);
}

Value ReadBeacon(const Ctx& c, int index) {
  const auto& beacons = c.vessel.declared.beacons;
  if (static_cast<std::size_t>(index) > beacons.size())
    Missing(c.vessel, "no beacon " + std::to_string(index));
  return Num(beacons[static_cast<std::size_t>(index - 1)]->active ? 1 : 0);
}

const SoundSlot* SlotOf(const Ctx& c, int index) {
  const auto& slots = c.vessel.sound.slots;
  const auto found = slots.find(index);
  return found == slots.end() ? nullptr : &found->second;
}

Value ReadSoundRequest(const Ctx& c, int index) {
  const SoundSlot* slot = SlotOf(c, index);
  return Text(slot == nullptr ? "none" : slot->last);
}

template <int SoundSlot::*Field>
Value ReadSound(const Ctx& c, int index) {
  const SoundSlot* slot = SlotOf(c, index);
  return Num(slot == nullptr ? 0 : slot->*Field);
}

// With physics on, a placement goes through the physics so that the flight
// state and the readings agree.
void SetAltitude(const Ctx& c, const double* x) {
  if (c.physics != nullptr)
    c.physics->PlaceAt(c.vessel, x[0]);
  else
    c.vessel.readings.altitude = x[0];
}
void SetAirspeed(const Ctx& c, const double* x) {
  if (c.physics != nullptr)
    c.physics->SetForwardSpeed(c.vessel, x[0]);
  else
    c.vessel.readings.airspeed = x[0];
}
void SetHeading(const Ctx& c, const double* x) {
  if (c.physics != nullptr)
    c.physics->SetHeading(c.vessel, x[0]);
  else
    c.vessel.readings.heading = x[0];
}
void SetPitch(const Ctx& c, const double* x) {
  if (c.physics != nullptr)
    c.physics->SetPitch(c.vessel, x[0]);
  else
    c.vessel.readings.pitch = x[0];
}
void SetBank(const Ctx& c, const double* x) {
  if (c.physics != nullptr)
    c.physics->SetBank(c.vessel, x[0]);
  else
    c.vessel.readings.bank = x[0];
}
void SetRates(const Ctx& c, const double* x) {
  if (c.physics != nullptr)
    c.physics->SetRates(c.vessel, {x[0], x[1], x[2]});
  else
    c.vessel.flight.rates = {-x[0], x[1], x[2]};
}
void SetPosition(const Ctx& c, const double* x) {
  if (c.physics != nullptr)
    c.physics->SetPosition(c.vessel, {x[0], x[1], x[2]});
  else
    c.vessel.flight.position = {x[0], x[1], x[2]};
}

// The latest touchdown's figures; a vessel that never touched down has none.
template <double Landing::*Field>
Value ReadLanding(const Ctx& c, int) {
  const Landing& l = c.vessel.flight.landing;
  if (!l.happened) Missing(c.vessel, "not touched down yet");
  return Num(l.*Field);
}

Value ReadLanded(const Ctx& c, int) {
  const FlightState& s = c.vessel.flight;
  return Num(s.on_plane && !(s.landing.happened && s.landing.crash) ? 1 : 0);
}

void SetFuel(const Ctx& c, const double* x) {
  if (c.vessel.declared.propellants.empty()) Missing(c.vessel, "no propellant");
  c.vessel.declared.propellants.front().mass = x[0];
}

#define THRUSTER_ROWS(prefix, which, lo, hi)                                                       \
  {prefix ".max", kNum, "N", ReadThruster<which, Field::kMax>, nullptr, 0, false, lo, hi},         \
      {prefix ".level", kNum, "0..1", ReadThruster<which, Field::kLevel>, nullptr, 0,              \
       false,           lo,   hi},                                                                 \
      {prefix ".dir.x", kNum, "", ReadThruster<which, Field::kDirX>, nullptr, 0, false, lo, hi},   \
      {prefix ".dir.y", kNum, "", ReadThruster<which, Field::kDirY>, nullptr, 0, false, lo, hi}, { \
    prefix ".dir.z", kNum, "", ReadThruster<which, Field::kDirZ>, nullptr, 0, false, lo, hi        \
  }

// What "set" takes: beyond these the simple physics would leave the range
// of finite numbers within a step.
constexpr double kMaxDistance_m = 1e7;
constexpr double kMaxSpeed_mps = 1e5;
constexpr double kMaxAngle_rad = 1e6;
constexpr double kMaxMass_kg = 1e9;
constexpr double kMaxRate_radps = 1e3;

// clang-format off
const QuantityDef kQuantities[] = {
  // pattern        kind   unit     read                                   set          values physics index  set limit
  {"altitude",       kNum, "m",     [](const Ctx& c, int) { return Num(c.vessel.readings.altitude); }, SetAltitude, 1, true, 0, 0, kMaxDistance_m},
  {"airspeed",       kNum, "m/s",   [](const Ctx& c, int) { return Num(c.vessel.readings.airspeed); }, SetAirspeed, 1, true, 0, 0, kMaxSpeed_mps},
  {"ground",         kNum, "0/1",   [](const Ctx& c, int) { return Num(c.vessel.readings.ground_contact ? 1 : 0); },
                                    [](const Ctx& c, const double* x) { c.vessel.readings.ground_contact = x[0] != 0; }, 1, false, 0, 0, 1},
  {"heading",        kNum, "rad",   [](const Ctx& c, int) { return Num(c.vessel.readings.heading); }, SetHeading, 1, true, 0, 0, kMaxAngle_rad},
  {"aoa",            kNum, "rad",   [](const Ctx& c, int) { return Num(c.vessel.readings.aoa); },
                                    [](const Ctx& c, const double* x) { c.vessel.readings.aoa = x[0]; }, 1, false, 0, 0, kMaxAngle_rad},
  {"bank",           kNum, "rad",   [](const Ctx& c, int) { return Num(c.vessel.readings.bank); }, SetBank, 1, true, 0, 0, kMaxAngle_rad},
  {"pitch",          kNum, "rad",   [](const Ctx& c, int) { return Num(c.vessel.readings.pitch); }, SetPitch, 1, true, 0, 0, kMaxAngle_rad},
  {"rates",          kNum, "rad/s", nullptr, SetRates, 3, true, 0, 0, kMaxRate_radps},
  {"position",       kNum, "m",     nullptr, SetPosition, 3, true, 0, 0, kMaxDistance_m},
  {"rate.pitch",     kNum, "rad/s", [](const Ctx& c, int) { return Num(c.vessel.flight.PitchRate()); }, nullptr, 0, false, 0, 0},
  {"rate.yaw",       kNum, "rad/s", [](const Ctx& c, int) { return Num(c.vessel.flight.YawRate()); }, nullptr, 0, false, 0, 0},
  {"rate.bank",      kNum, "rad/s", [](const Ctx& c, int) { return Num(c.vessel.flight.BankRate()); }, nullptr, 0, false, 0, 0},
  {"vspeed",         kNum, "m/s",   [](const Ctx& c, int) { return Num(c.vessel.flight.VerticalSpeed()); }, nullptr, 0, false, 0, 0},
  {"groundspeed",    kNum, "m/s",   [](const Ctx& c, int) { return Num(c.vessel.flight.GroundSpeed()); }, nullptr, 0, false, 0, 0},
  {"slip",           kNum, "rad",   [](const Ctx& c, int) { return Num(c.vessel.readings.slip); }, nullptr, 0, false, 0, 0},
  {"mach",           kNum, "",      [](const Ctx& c, int) { return Num(c.vessel.readings.mach); }, nullptr, 0, false, 0, 0},
  {"dynpressure",    kNum, "Pa",    [](const Ctx& c, int) { return Num(c.vessel.readings.dynamic_pressure); }, nullptr, 0, false, 0, 0},
  {"landing.vspeed", kNum, "m/s",   ReadLanding<&Landing::vspeed>, nullptr, 0, false, 0, 0},
  {"landing.speed",  kNum, "m/s",   ReadLanding<&Landing::speed>, nullptr, 0, false, 0, 0},
  {"landing.bank",   kNum, "rad",   ReadLanding<&Landing::bank>, nullptr, 0, false, 0, 0},
  {"landing.pitch",  kNum, "rad",   ReadLanding<&Landing::pitch>, nullptr, 0, false, 0, 0},
  {"landed",         kNum, "0/1",   ReadLanded, nullptr, 0, false, 0, 0},
  {"fuel",           kNum, "kg",    [](const Ctx& c, int) { return Num(c.vessel.FuelMass()); }, SetFuel, 1, true, 0, 0, kMaxMass_kg},
  {"timeacc",        kNum, "",      [](const Ctx& c, int) { return Num(c.host.TimeAcceleration()); }, nullptr, 0, false, 0, 0},
  {"vx",             kNum, "m/s",   [](const Ctx& c, int) { return Num(c.vessel.readings.airspeed_vector.x); }, nullptr, 0, false, 0, 0},
  {"vy",             kNum, "m/s",   [](const Ctx& c, int) { return Num(c.vessel.readings.airspeed_vector.y); }, nullptr, 0, false, 0, 0},
  {"vz",             kNum, "m/s",   [](const Ctx& c, int) { return Num(c.vessel.readings.airspeed_vector.z); }, nullptr, 0, false, 0, 0},
  {"focus-airspeed", kNum, "m/s",   nullptr,
                                    [](const Ctx& c, const double* x) { c.vessel.readings.airspeed_vector = {x[0], x[1], x[2]}; }, 3, false, 0, 0, kMaxSpeed_mps},
  {"debug",          kText, "",     [](const Ctx& c, int) { return Text(c.host.DebugLine()); }, nullptr, 0, false, 0, 0},
  {"anim.#",         kNum, "",      ReadAnimation, nullptr, 0, false, 0, kAny},
  THRUSTER_ROWS("main", Which::kMain, 0, 0),
  THRUSTER_ROWS("hover", Which::kHover, 0, 0),
  THRUSTER_ROWS("thruster.#", Which::kIndexed, 1, kAny),
  {"cw.forward",     kNum, "",      ReadCw<0>, nullptr, 0, false, 0, 0},
  {"cw.backward",    kNum, "",      ReadCw<1>, nullptr, 0, false, 0, 0},
  {"cw.lateral",     kNum, "",      ReadCw<2>, nullptr, 0, false, 0, 0},
  {"cw.vertical",    kNum, "",      ReadCw<3>, nullptr, 0, false, 0, 0},
  {"touchdown.#.x",  kNum, "m",     ReadTouchdown<0>, nullptr, 0, false, 1, 3},
  {"touchdown.#.y",  kNum, "m",     ReadTouchdown<1>, nullptr, 0, false, 1, 3},
  {"touchdown.#.z",  kNum, "m",     ReadTouchdown<2>, nullptr, 0, false, 1, 3},
  {"friction.lng",   kNum, "",      ReadFriction<true>, nullptr, 0, false, 0, 0},
  {"friction.lat",   kNum, "",      ReadFriction<false>, nullptr, 0, false, 0, 0},
  {"beacon.#",       kNum, "0/1",   ReadBeacon, nullptr, 0, false, 1, kAny},
  {"sound.#",        kText, "",     ReadSoundRequest, nullptr, 0, false, 0, kAny},
  {"sound.#.frequency", kNum, "Hz", ReadSound<&SoundSlot::frequency>, nullptr, 0, false, 0, kAny},
  {"sound.#.volume", kNum, "",      ReadSound<&SoundSlot::volume>, nullptr, 0, false, 0, kAny},
  {"sound.#.loop",   kNum, "",      ReadSound<&SoundSlot::loop>, nullptr, 0, false, 0, kAny},
};
// clang-format on
#undef THRUSTER_ROWS

std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> parts(1);
  for (char c : text) {
    if (c == '.')
      parts.emplace_back();
    else
      parts.back() += c;
  }
  return parts;
}

bool Matches(const QuantityDef& def, const std::vector<std::string>& name, int& index) {
  const std::vector<std::string> pattern = Split(def.pattern);
  if (pattern.size() != name.size()) return false;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == "#") {
      if (!ParseIndex(name[i], index) || index < def.min_index || index > def.max_index)
        return false;
    } else if (pattern[i] != name[i]) {
      return false;
    }
  }
  return true;
}

}  // namespace

QuantityMatch FindQuantity(const std::string& name) {
  const std::vector<std::string> parts = Split(name);
  for (const QuantityDef& def : kQuantities) {
    int index = 0;
    if (Matches(def, parts, index)) return {&def, index};
  }
  return {};
}

QuantityTable Quantities() { return {kQuantities, std::size(kQuantities)}; }

}  // namespace vsim

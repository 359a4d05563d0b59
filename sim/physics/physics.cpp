#include "sim/physics/physics.h"

#include <algorithm>
#include <cmath>

#include "sim/physics/vectors.h"

namespace vsim {

namespace {

// Below these the flow has no direction worth taking.
constexpr double kMinAirfoilSpeed = 1e-3;  // m/s
constexpr double kMinPlaneSpeed = 1e-6;    // m/s
// How far above its rest height a vessel still touches the ground.
constexpr double kGroundTolerance = 1e-6;  // m
constexpr double kMinMass = 1.0;           // kg
constexpr double kMinInertia = 1e-3;       // m^2, per unit mass

// Backward-Euler step of quadratic drag: slows a speed towards zero and can
// never reverse it, however large the coefficient.
double DragStep(double v, double k_per_m, double dt) {
  return v / (1.0 + k_per_m * std::abs(v) * dt);
}

// An angle already in [0, 2 pi) is kept exactly as it is.
double WrapAngle(double angle) {
  if (angle >= 0 && angle < kTwoPi) return angle;
  return std::fmod(std::fmod(angle, kTwoPi) + kTwoPi, kTwoPi);
}

}  // namespace

struct SimplePhysics::Loads {
  VECTOR3 force{0, 0, 0};  // vessel frame, drag along the flow excluded
  double yaw_moment = 0;
  double drag_area = 0;  // drag force per dynamic pressure, along the flow
};

double SimplePhysics::Density(double altitude) const {
  return c_.sea_level_density * std::exp(-std::max(altitude, 0.0) / c_.scale_height);
}

double SimplePhysics::RestHeight(const VesselRecord& vessel) {
  double lowest = 0;
  for (const VECTOR3& p : vessel.declared.touchdown) lowest = std::min(lowest, p.y);
  return -lowest;
}

void SimplePhysics::UpdateReadings(VesselRecord& vessel) {
  UpdateReadings(vessel, FrameOf(vessel.readings.heading), RestHeight(vessel));
}

void SimplePhysics::UpdateReadings(VesselRecord& vessel, const Frame& f, double rest) {
  const FlightState& s = vessel.flight;
  Readings& r = vessel.readings;
  r.altitude = s.position.y;
  r.airspeed = Length(s.velocity);
  r.airspeed_vector = ToVessel(f, s.velocity);
  r.aoa = r.airspeed > 0 ? std::atan2(-r.airspeed_vector.y, r.airspeed_vector.z) : 0.0;
  r.bank = 0;
  r.ground_contact = s.position.y <= rest + kGroundTolerance;
}

void SimplePhysics::Placed(VesselRecord& vessel) {
  vessel.flight = FlightState{};
  vessel.readings.heading = 0;
  PlaceAt(vessel, RestHeight(vessel));
}

void SimplePhysics::PlaceAt(VesselRecord& vessel, double altitude) {
  vessel.flight.position.y = std::max(altitude, RestHeight(vessel));
  vessel.flight.velocity.y = 0;
  UpdateReadings(vessel);
  Remember(vessel);
}

void SimplePhysics::SetForwardSpeed(VesselRecord& vessel, double speed) {
  vessel.flight.velocity = Scale(FrameOf(vessel.readings.heading).forward, speed);
  UpdateReadings(vessel);
  Remember(vessel);
}

void SimplePhysics::SetHeading(VesselRecord& vessel, double heading) {
  vessel.readings.heading = WrapAngle(heading);
  UpdateReadings(vessel);
  Remember(vessel);
}

void SimplePhysics::Integrate(const std::vector<std::unique_ptr<VesselRecord>>& vessels,
                              double dt) {
  if (!(dt > 0) || !std::isfinite(dt)) return;
  for (const auto& vessel : vessels) GuardedAdvance(*vessel, dt);
}

bool SimplePhysics::StateFinite(const VesselRecord& vessel) {
  const FlightState& s = vessel.flight;
  const Readings& r = vessel.readings;
  bool finite = Finite(s.position) && Finite(s.velocity) && std::isfinite(s.yaw_rate) &&
                std::isfinite(r.heading) && std::isfinite(r.altitude) &&
                std::isfinite(r.airspeed) && std::isfinite(r.aoa) && Finite(r.airspeed_vector);
  for (const Propellant& p : vessel.declared.propellants) finite = finite && std::isfinite(p.mass);
  return finite;
}

void SimplePhysics::Remember(VesselRecord& vessel) {
  if (StateFinite(vessel)) Keep(vessel);
}

void SimplePhysics::Keep(VesselRecord& vessel) {
  GoodState& good = vessel.last_good;
  good.known = true;
  good.flight = vessel.flight;
  good.readings = vessel.readings;
  const auto& propellants = vessel.declared.propellants;
  good.fuel.resize(propellants.size());
  for (std::size_t i = 0; i < propellants.size(); ++i) good.fuel[i] = propellants[i].mass;
}

void SimplePhysics::Restore(VesselRecord& vessel, bool undo_step) {
  const GoodState& good = vessel.last_good;
  vessel.flight = good.known ? good.flight : FlightState{};
  vessel.readings = good.known ? good.readings : Readings{};
  // An undone step burned nothing; a fuel mass set from outside stays if finite.
  auto& propellants = vessel.declared.propellants;
  for (std::size_t i = 0; i < propellants.size(); ++i)
    if (undo_step || !std::isfinite(propellants[i].mass))
      propellants[i].mass = i < good.fuel.size() ? good.fuel[i] : 0.0;
}

// A state that is not finite, whether a step made it so or it came in from
// outside, is replaced by the last good one: one bad value never poisons
// the rest of the run.
void SimplePhysics::GuardedAdvance(VesselRecord& vessel, double dt) {
  if (!StateFinite(vessel)) Restore(vessel, false);
  Advance(vessel, dt);
  if (__builtin_expect(StateFinite(vessel), 1)) return Keep(vessel);
  Restore(vessel, true);
  if (!vessel.last_good.reported) rejected_.push_back(vessel.name);
  vessel.last_good.reported = true;
}

// Thrust (burning fuel), added forces and airfoil lift in the vessel frame.
SimplePhysics::Loads SimplePhysics::DrivingLoads(VesselRecord& vessel, VECTOR3 v, double rho,
                                                 double dt) const {
  Declared& d = vessel.declared;
  Loads loads;
  for (Thruster& t : d.thrusters) {
    if (!(t.level > 0) || !(t.max0 > 0) || t.resource >= d.propellants.size()) continue;
    Propellant& fuel = d.propellants[t.resource];
    if (!(fuel.mass > 0)) continue;
    const double thrust = t.level * t.max0;
    const VECTOR3 f = Scale(t.dir, thrust);
    loads.force = Add(loads.force, f);
    loads.yaw_moment += YawMoment(t.pos, f);
    if (t.isp > 0) fuel.mass = std::max(0.0, fuel.mass - thrust / t.isp * dt);
  }
  for (const Force& added : d.forces) {
    loads.force = Add(loads.force, added.force);
    loads.yaw_moment += YawMoment(added.point, added.force);
  }
  const double speed = Length(v);
  const double q = 0.5 * rho * speed * speed;
  if (speed > kMinAirfoilSpeed) {
    for (const Airfoil& a : d.airfoils) {
      if (a.coefficients == nullptr) continue;
      const bool vertical = a.orientation == LIFT_VERTICAL;
      // Angle of attack in the vertical plane, sideslip in the horizontal one.
      const double angle = vertical ? std::atan2(-v.y, v.z) : std::atan2(v.x, v.z);
      double cl = 0, cm = 0, cd = 0;
      a.coefficients(angle, speed / c_.speed_of_sound, rho * speed * a.chord / c_.air_viscosity,
                     &cl, &cm, &cd);
      if (!std::isfinite(cl) || !std::isfinite(cd)) continue;
      // Lift is perpendicular to the flow, in the airfoil's plane.
      const double in_plane = vertical ? std::hypot(v.y, v.z) : std::hypot(v.x, v.z);
      if (in_plane > kMinPlaneSpeed) {
        const VECTOR3 lift_dir = vertical ? VECTOR3{0, v.z / in_plane, -v.y / in_plane}
                                          : VECTOR3{-v.z / in_plane, 0, v.x / in_plane};
        loads.force = Add(loads.force, Scale(lift_dir, q * a.area * cl));
      }
      loads.drag_area += a.area * std::max(cd, 0.0);
    }
  }
  for (const DragElement& e : d.drag_elements)
    if (e.level != nullptr && std::isfinite(*e.level))
      loads.drag_area += e.factor * std::max(*e.level, 0.0);
  return loads;
}

void SimplePhysics::Advance(VesselRecord& vessel, double dt) {
  FlightState& s = vessel.flight;
  Readings& r = vessel.readings;
  const Declared& d = vessel.declared;
  const Frame frame = FrameOf(r.heading);
  const double rest = RestHeight(vessel);
  const double mass = std::max(vessel.Mass(), kMinMass);
  const double rho = Density(s.position.y);
  const Loads loads = DrivingLoads(vessel, ToVessel(frame, s.velocity), rho, dt);

  // Explicit step of the driving forces and gravity.
  VECTOR3 world_acc = Scale(ToWorld(frame, loads.force), 1.0 / mass);
  world_acc.y -= c_.gravity;
  s.velocity = Add(s.velocity, Scale(world_acc, dt));

  // Implicit drag, axis by axis in the vessel frame, then along the flow.
  VECTOR3 v = ToVessel(frame, s.velocity);
  const VECTOR3 area = d.cross_sections;
  auto k = [&](double cw, double a) { return 0.5 * rho * std::max(cw, 0.0) * a / mass; };
  v.x = DragStep(v.x, k(d.cw[2], area.x), dt);
  v.y = DragStep(v.y, k(d.cw[3], area.y), dt);
  v.z = DragStep(v.z, k(v.z >= 0 ? d.cw[0] : d.cw[1], area.z), dt);
  const double flow = Length(v);
  if (flow > 0) v = Scale(v, DragStep(flow, 0.5 * rho * loads.drag_area / mass, dt) / flow);

  // Ground contact at the touchdown points: no sinking, wheel friction.
  const bool on_ground = s.position.y <= rest + kGroundTolerance;
  if (on_ground) {
    const double normal_acc = std::max(0.0, -world_acc.y);  // what the ground must hold up
    auto rub = [&](double component, double mu) {
      const double slow = mu * normal_acc * dt;
      return std::abs(component) <= slow ? 0.0 : component - std::copysign(slow, component);
    };
    v.z = rub(v.z, d.friction_lng.value_or(c_.default_friction_lng));
    v.x = rub(v.x, d.friction_lat.value_or(c_.default_friction_lat));
  }
  s.velocity = ToWorld(frame, v);
  s.position = Add(s.position, Scale(s.velocity, dt));
  if (s.position.y < rest) {
    s.position.y = rest;
    s.velocity.y = std::max(0.0, s.velocity.y);
  }

  // Yaw about the declared inertia (per unit mass), damped.
  const double inertia = std::max(d.pmi.y, kMinInertia) * mass;
  s.yaw_rate += loads.yaw_moment / inertia * dt;
  s.yaw_rate /= 1.0 + (on_ground ? c_.yaw_damping_ground : c_.yaw_damping_air) * dt;
  const double heading = WrapAngle(r.heading + s.yaw_rate * dt);
  // Holding its heading, as most vessels do most of the time, a vessel
  // keeps its frame: no new sine and cosine.
  const bool turned = heading != r.heading;
  r.heading = heading;
  UpdateReadings(vessel, turned ? FrameOf(heading) : frame, rest);
}

}  // namespace vsim

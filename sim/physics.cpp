#include "sim/physics.h"

#include <algorithm>
#include <cmath>

namespace vsim {

namespace {

struct Frame {
  VECTOR3 right, up, forward;  // vessel axes in world coordinates
};

Frame FrameOf(double heading) {
  const double s = std::sin(heading), c = std::cos(heading);
  return {{c, 0, -s}, {0, 1, 0}, {s, 0, c}};
}

VECTOR3 Add(VECTOR3 a, VECTOR3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
VECTOR3 Scale(VECTOR3 a, double k) { return {a.x * k, a.y * k, a.z * k}; }
double Dot(VECTOR3 a, VECTOR3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double Length(VECTOR3 a) { return std::sqrt(Dot(a, a)); }

VECTOR3 ToVessel(const Frame& f, VECTOR3 w) {
  return {Dot(w, f.right), Dot(w, f.up), Dot(w, f.forward)};
}
VECTOR3 ToWorld(const Frame& f, VECTOR3 v) {
  return Add(Add(Scale(f.right, v.x), Scale(f.up, v.y)), Scale(f.forward, v.z));
}

// Yaw moment (about the vessel's up axis) of a force applied at a point.
double YawMoment(VECTOR3 point, VECTOR3 force) { return point.z * force.x - point.x * force.z; }

// Backward-Euler step of quadratic drag: slows a speed towards zero and can
// never reverse it, however large the coefficient.
double DragStep(double v, double k_per_m, double dt) {
  return v / (1.0 + k_per_m * std::abs(v) * dt);
}

constexpr double kTwoPi = 2 * PI;

}  // namespace

double SimplePhysics::Density(double altitude) const {
  return c_.sea_level_density * std::exp(-std::max(altitude, 0.0) / c_.scale_height);
}

double SimplePhysics::RestHeight(const VesselRecord& vessel) {
  double lowest = 0;
  for (const VECTOR3& p : vessel.touchdown) lowest = std::min(lowest, p.y);
  return -lowest;
}

void SimplePhysics::UpdateReadings(VesselRecord& vessel, double ground_tolerance) {
  const FlightState& s = vessel.flight;
  Readings& r = vessel.readings;
  const Frame f = FrameOf(r.heading);
  r.altitude = s.position.y;
  r.airspeed = Length(s.velocity);
  r.airspeed_vector = ToVessel(f, s.velocity);
  r.aoa = r.airspeed > 0 ? std::atan2(-r.airspeed_vector.y, r.airspeed_vector.z) : 0.0;
  r.bank = 0;
  r.ground_contact = s.position.y <= RestHeight(vessel) + ground_tolerance;
}

void SimplePhysics::OnCreate(VesselRecord& vessel) {
  vessel.flight = FlightState{};
  vessel.readings.heading = 0;
  PlaceAt(vessel, RestHeight(vessel));
}

void SimplePhysics::PlaceAt(VesselRecord& vessel, double altitude) {
  vessel.flight.position.y = std::max(altitude, RestHeight(vessel));
  vessel.flight.velocity.y = 0;
  UpdateReadings(vessel);
}

void SimplePhysics::SetForwardSpeed(VesselRecord& vessel, double speed) {
  vessel.flight.velocity = Scale(FrameOf(vessel.readings.heading).forward, speed);
  UpdateReadings(vessel);
}

void SimplePhysics::SetHeading(VesselRecord& vessel, double heading) {
  vessel.readings.heading = std::fmod(std::fmod(heading, kTwoPi) + kTwoPi, kTwoPi);
  UpdateReadings(vessel);
}

void SimplePhysics::Integrate(const std::vector<std::unique_ptr<VesselRecord>>& vessels,
                              double dt) {
  if (!(dt > 0) || !std::isfinite(dt)) return;
  for (const auto& vessel : vessels) Advance(*vessel, dt);
}

void SimplePhysics::Advance(VesselRecord& vessel, double dt) {
  FlightState& s = vessel.flight;
  Readings& r = vessel.readings;
  const Frame frame = FrameOf(r.heading);
  const double mass = std::max(vessel.Mass(), 1.0);
  const double rho = Density(s.position.y);
  VECTOR3 v = ToVessel(frame, s.velocity);  // airspeed in the vessel frame
  const double speed = Length(v);

  // Forces in the vessel frame other than drag.
  VECTOR3 force{0, 0, 0};
  double yaw_moment = 0;
  for (Thruster& t : vessel.thrusters) {
    if (t.level <= 0 || t.max0 <= 0 || t.resource == nullptr || t.resource->mass <= 0) continue;
    const double thrust = t.level * t.max0;
    const VECTOR3 f = Scale(t.dir, thrust);
    force = Add(force, f);
    yaw_moment += YawMoment(t.pos, f);
    if (t.isp > 0) t.resource->mass = std::max(0.0, t.resource->mass - thrust / t.isp * dt);
  }
  for (const Force& added : vessel.forces) {
    force = Add(force, added.force);
    yaw_moment += YawMoment(added.point, added.force);
  }
  const double q = 0.5 * rho * speed * speed;
  double airfoil_drag_coefficient = 0;  // drag force per q, along -v
  if (speed > 1e-3) {
    for (const Airfoil& a : vessel.airfoils) {
      if (a.coefficients == nullptr) continue;
      const bool vertical = a.orientation == LIFT_VERTICAL;
      // Angle of attack in the vertical plane, sideslip in the horizontal one.
      const double angle = vertical ? std::atan2(-v.y, v.z) : std::atan2(v.x, v.z);
      double cl = 0, cm = 0, cd = 0;
      a.coefficients(angle, speed / 340.0, rho * speed * a.chord / 1.8e-5, &cl, &cm, &cd);
      if (!std::isfinite(cl) || !std::isfinite(cd)) continue;
      // Lift is perpendicular to the flow, in the airfoil's plane.
      const double in_plane = vertical ? std::hypot(v.y, v.z) : std::hypot(v.x, v.z);
      if (in_plane > 1e-6) {
        const VECTOR3 lift_dir = vertical ? VECTOR3{0, v.z / in_plane, -v.y / in_plane}
                                          : VECTOR3{-v.z / in_plane, 0, v.x / in_plane};
        force = Add(force, Scale(lift_dir, q * a.area * cl));
      }
      airfoil_drag_coefficient += a.area * std::max(cd, 0.0);
    }
  }
  for (const DragElement& d : vessel.drag_elements)
    if (d.level != nullptr && std::isfinite(*d.level))
      airfoil_drag_coefficient += d.factor * std::max(*d.level, 0.0);

  // Explicit step of the driving forces and gravity.
  VECTOR3 world_acc = Scale(ToWorld(frame, force), 1.0 / mass);
  world_acc.y -= c_.gravity;
  s.velocity = Add(s.velocity, Scale(world_acc, dt));

  // Implicit drag, axis by axis in the vessel frame, then along the flow.
  v = ToVessel(frame, s.velocity);
  const VECTOR3 area = vessel.cross_sections;
  auto k = [&](double cw, double a) { return 0.5 * rho * std::max(cw, 0.0) * a / mass; };
  v.x = DragStep(v.x, k(vessel.cw[2], area.x), dt);
  v.y = DragStep(v.y, k(vessel.cw[3], area.y), dt);
  v.z = DragStep(v.z, k(v.z >= 0 ? vessel.cw[0] : vessel.cw[1], area.z), dt);
  const double flow = Length(v);
  if (flow > 0) {
    const double slowed = DragStep(flow, 0.5 * rho * airfoil_drag_coefficient / mass, dt);
    v = Scale(v, slowed / flow);
  }

  // Ground contact at the touchdown points: no sinking, wheel friction.
  const double rest = RestHeight(vessel);
  const bool on_ground = s.position.y <= rest + 1e-6;
  if (on_ground) {
    const double normal_acc = std::max(0.0, -world_acc.y);  // what the ground must hold up
    const double mu_lng = vessel.friction_lng.value_or(c_.default_friction_lng);
    const double mu_lat = vessel.friction_lat.value_or(c_.default_friction_lat);
    auto rub = [&](double component, double mu) {
      const double slow = mu * normal_acc * dt;
      return std::abs(component) <= slow ? 0.0 : component - std::copysign(slow, component);
    };
    v.z = rub(v.z, mu_lng);
    v.x = rub(v.x, mu_lat);
  }
  s.velocity = ToWorld(frame, v);
  s.position = Add(s.position, Scale(s.velocity, dt));
  if (s.position.y < rest) {
    s.position.y = rest;
    s.velocity.y = std::max(0.0, s.velocity.y);
  }

  // Yaw about the declared inertia (per unit mass), damped.
  const double inertia = std::max(vessel.pmi.y, 1e-3) * mass;
  s.yaw_rate += yaw_moment / inertia * dt;
  const double damping = on_ground ? c_.yaw_damping_ground : c_.yaw_damping_air;
  s.yaw_rate /= 1.0 + damping * dt;
  r.heading = std::fmod(std::fmod(r.heading + s.yaw_rate * dt, kTwoPi) + kTwoPi, kTwoPi);

  UpdateReadings(vessel);
}

}  // namespace vsim

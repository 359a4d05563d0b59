#include "sim/physics/rigid_body.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "sim/core/host.h"
#include "sim/physics/atmosphere.h"
#include "sim/physics/ground_contact.h"
#include "sim/physics/last_good.h"
#include "sim/physics/loads.h"
#include "sim/physics/rotation.h"
#include "sim/physics/touchdown.h"

namespace vsim {

namespace {

constexpr double kMinMass = 1.0;      // kg
constexpr double kMinInertia = 1e-3;  // m^2, per unit mass
// Well above the rounding of a turned point's length (squared).
constexpr double kClearanceMargin = 1.01;
enum NoticeKind { kOutsideTriangle, kCoupleOverFriction, kRotationUnsolved };

// Backward-Euler step of quadratic drag: slows a speed towards zero and can
// never reverse it, however large the coefficient.
double DragStep(double v, double k_per_m, double dt) {
  return v / (1.0 + k_per_m * std::abs(v) * dt);
}

}  // namespace

// One step of one vessel: the start, and the end as it is being built.
struct RigidBodyPhysics::Step {
  double dt, mass;
  Vec inertia;
  Eigen::Quaterniond q0;
  Vec x0, v0, w0;
  Vec v1, w1;
  Eigen::Quaterniond turn;  // vessel frame at the start to that at the end
  double added_yaw_moment;  // of the module's added forces, about the vessel's up axis
  double vertical_acc;      // of every force but drag and the ground's
};

double RigidBodyPhysics::RestHeight(const VesselRecord& vessel) {
  return vsim::RestHeight(PlaneOf(vessel.declared));
}

const Air& RigidBodyPhysics::AirMemo::At(double at) {
  if (!(at == altitude)) {
    altitude = at;
    air = AirAt(at);
  }
  return air;
}

void RigidBodyPhysics::UpdateReadings(VesselRecord& vessel) const {
  UpdateReadings(vessel, AirAt(vessel.flight.position.y));
}

void RigidBodyPhysics::UpdateReadings(VesselRecord& vessel, const Air& air) const {
  const FlightState& s = vessel.flight;
  Readings& r = vessel.readings;
  const Eigen::Quaterniond q = ToEigen(s.attitude);
  const Vec v = q.conjugate() * (ToEigen(s.velocity) - wind_);
  const Euler angles = ToEuler(q);
  r.altitude = s.position.y;
  r.airspeed = v.norm();
  r.airspeed_vector = ToHost(v);
  r.aoa = r.airspeed > 0 ? std::atan2(-v.y(), v.z()) : 0.0;
  r.slip = r.airspeed > 0 ? std::atan2(v.x(), v.z()) : 0.0;
  r.heading = angles.heading;
  r.pitch = angles.pitch;
  r.bank = angles.bank;
  r.mach = air.speed_of_sound > 0 ? r.airspeed / air.speed_of_sound : 0.0;
  r.dynamic_pressure = 0.5 * air.density * r.airspeed * r.airspeed;
  r.ground_contact = s.on_plane;
}

void RigidBodyPhysics::Placed(VesselRecord& vessel) {
  vessel.flight = FlightState{};
  vessel.flight.position.y = RestHeight(vessel);
  vessel.flight.on_plane = true;
  UpdateReadings(vessel);
  Remember(vessel);
}

void RigidBodyPhysics::PlaceAt(VesselRecord& vessel, double altitude) {
  const double rest = RestHeight(vessel);
  vessel.flight.position.y = std::max(altitude, rest);
  vessel.flight.velocity.y = 0;
  vessel.flight.on_plane = !(altitude > rest);
  UpdateReadings(vessel);
  Remember(vessel);
}

void RigidBodyPhysics::SetForwardSpeed(VesselRecord& vessel, double speed) {
  const Eigen::Quaterniond q = ToEigen(vessel.flight.attitude);
  vessel.flight.velocity = ToHost(wind_ + q * Vec(0, 0, speed));
  UpdateReadings(vessel);
  Remember(vessel);
}

void RigidBodyPhysics::SetAttitude(VesselRecord& vessel, const Euler& angles) {
  vessel.flight.attitude = ToHost(FromEuler(angles));
  UpdateReadings(vessel);
  Remember(vessel);
}

void RigidBodyPhysics::SetHeading(VesselRecord& vessel, double heading) {
  Euler a = ToEuler(ToEigen(vessel.flight.attitude));
  a.heading = WrapAngle(heading);
  SetAttitude(vessel, a);
}

void RigidBodyPhysics::SetPitch(VesselRecord& vessel, double pitch) {
  Euler a = ToEuler(ToEigen(vessel.flight.attitude));
  a.pitch = pitch;
  SetAttitude(vessel, a);
}

void RigidBodyPhysics::SetBank(VesselRecord& vessel, double bank) {
  Euler a = ToEuler(ToEigen(vessel.flight.attitude));
  a.bank = bank;
  SetAttitude(vessel, a);
}

// Nose up is a negative rate about x in the vessel frame.
void RigidBodyPhysics::SetRates(VesselRecord& vessel, VECTOR3 r) {
  vessel.flight.rates = {-r.x, r.y, r.z};
  UpdateReadings(vessel);
  Remember(vessel);
}

void RigidBodyPhysics::SetPosition(VesselRecord& vessel, VECTOR3 position) {
  const double rest = RestHeight(vessel);
  vessel.flight.position = position;
  vessel.flight.position.y = std::max(position.y, rest);
  vessel.flight.on_plane = !(position.y > rest);
  UpdateReadings(vessel);
  Remember(vessel);
}

void RigidBodyPhysics::SetWind(double speed, double from_heading) {
  mean_wind_ = -speed * Vec(std::sin(from_heading), 0, std::cos(from_heading));
  wind_ = gusts_.Blowing() ? Vec(mean_wind_ + gusts_.Now()) : mean_wind_;
}

void RigidBodyPhysics::SetGusts(double rms, std::uint64_t seed) {
  gusts_ = Gusts(rms, seed);
  wind_ = gusts_.Blowing() ? Vec(mean_wind_ + gusts_.Now()) : mean_wind_;
}

void RigidBodyPhysics::Integrate(const std::vector<std::unique_ptr<VesselRecord>>& vessels,
                                 double dt) {
  if (!(dt > 0) || !std::isfinite(dt)) return;
  if (gusts_.Blowing()) wind_ = mean_wind_ + gusts_.Step(dt);
  air_.resize(vessels.size());
  for (std::size_t i = 0; i < vessels.size(); ++i) GuardedAdvance(*vessels[i], dt, air_[i]);
}

void RigidBodyPhysics::Notice(const VesselRecord& vessel, int which, const std::string& text) {
  if (!noticed_.insert({vessel.serial, which}).second) return;
  notices_.push_back("vessel " + vessel.name + ": " + text);
}

// A state that is not finite, whether a step made it so or it came in from
// outside, is replaced by the last good one.
void RigidBodyPhysics::GuardedAdvance(VesselRecord& vessel, double dt, AirMemo& memo) {
  if (!StateFinite(vessel)) Restore(vessel, false);
  const bool advanced = Advance(vessel, dt, memo);
  if (advanced && __builtin_expect(StateFinite(vessel), 1)) return Keep(vessel);
  Restore(vessel, true);
  if (!advanced) return;
  if (!vessel.last_good.reported) rejected_.push_back(vessel.name);
  vessel.last_good.reported = true;
}

bool RigidBodyPhysics::Advance(VesselRecord& vessel, double dt, AirMemo& memo) {
  FlightState& s = vessel.flight;
  const Declared& d = vessel.declared;
  Step st;
  st.dt = dt;
  st.mass = std::max(vessel.Mass(), kMinMass);
  st.inertia = st.mass * ToEigen(d.pmi).cwiseMax(kMinInertia);
  st.q0 = ToEigen(s.attitude).normalized();
  st.x0 = ToEigen(s.position);
  st.v0 = ToEigen(s.velocity);
  st.w0 = ToEigen(s.rates);
  const Eigen::Matrix3d r0 = st.q0.toRotationMatrix();
  const Air air = memo.At(st.x0.y());
  const Vec airspeed = r0.transpose() * (st.v0 - wind_);

  Wrench added;
  AddForces(d, added);
  st.added_yaw_moment = added.moment.y();
  Wrench loads = added;
  AddThrust(vessel, dt, loads);
  AirLoads aero;
  const auto airfoils = [&] { aero = Aerodynamics(d, airspeed, st.w0, air); };
  if (Host* host = Host::Active())
    host->ServeVessel(vessel, airfoils);
  else
    airfoils();
  loads.force += aero.wrench.force;
  loads.moment += aero.wrench.moment;

  const Vec damping = ToEigen(d.rot_drag).cwiseMax(0) * (air.density / kSeaLevelDensity);
  const std::optional<RotationStep> rotation =
      StepRotation(st.inertia, damping, loads.moment, st.w0, dt);
  if (!rotation) {
    Notice(vessel, kRotationUnsolved,
           "a step's rotation could not be solved in 64 substeps; the step is refused");
    return false;
  }
  st.w1 = rotation->rates;
  st.turn = rotation->turn;

  // Forces held over the step: exact for constant ones.
  Vec acc = r0 * loads.force / st.mass;
  acc.y() -= c_.gravity;
  Vec v1 = st.v0 + acc * dt;
  st.vertical_acc = acc.y();

  // Implicit drag, axis by axis in the vessel frame, then along the flow.
  Vec u = r0.transpose() * (v1 - wind_);
  const Vec area = ToEigen(d.cross_sections);
  auto k = [&](double cw, double a) { return 0.5 * air.density * std::max(cw, 0.0) * a / st.mass; };
  u.x() = DragStep(u.x(), k(d.cw[2], area.x()), dt);
  u.y() = DragStep(u.y(), k(d.cw[3], area.y()), dt);
  u.z() = DragStep(u.z(), k(u.z() >= 0 ? d.cw[0] : d.cw[1], area.z()), dt);
  const double flow = u.norm();
  if (flow > 0) u *= DragStep(flow, 0.5 * air.density * aero.drag_area / st.mass, dt) / flow;
  st.v1 = r0 * u + wind_;

  Ground(vessel, st);
  Vec x1 = st.x0 + (st.v0 + st.v1) * dt / 2;
  if (s.on_plane) x1.y() = s.position.y;
  s.position = ToHost(x1);
  s.velocity = ToHost(st.v1);
  s.rates = ToHost(st.w1);
  UpdateReadings(vessel, memo.At(s.position.y));
  return true;
}

// The landing plane: levelled onto the ground, the load on a spring and a
// damper along it, friction bounded by the load.
void RigidBodyPhysics::Ground(VesselRecord& vessel, Step& st) {
  FlightState& s = vessel.flight;
  const Declared& d = vessel.declared;
  const double dt = st.dt;
  Eigen::Quaterniond q1 = (st.q0 * st.turn).normalized();
  const Vec x_free = st.x0 + (st.v0 + st.v1) * dt / 2;
  auto lowest = [&](const Eigen::Quaterniond& q) {
    double low = 0;
    for (const VECTOR3& p : d.touchdown) low = std::min(low, (q * ToEigen(p)).y());
    return low;
  };
  // Higher than its farthest touchdown point reaches in any attitude, the
  // vessel is clear of the ground without turning the points.
  double reach2 = 0;
  for (const VECTOR3& p : d.touchdown) reach2 = std::max(reach2, p.x * p.x + p.y * p.y + p.z * p.z);
  const bool clear = x_free.y() > 0 && x_free.y() * x_free.y() > kClearanceMargin * reach2;
  if (clear || x_free.y() + lowest(q1) > 0) {
    s.on_plane = false;
    s.attitude = ToHost(q1);
    return;
  }
  const LandingPlane plane = PlaneOf(d);
  if (!s.on_plane) {
    Landing& l = s.landing;
    const Euler angles = ToEuler(q1);
    l.happened = true;
    l.vspeed = st.v1.y();
    l.speed = std::hypot(st.v1.x(), st.v1.z());
    l.bank = angles.bank;
    l.pitch = angles.pitch;
    l.crash = Crash(l);
    touchdowns_.push_back(TouchdownReport{vessel.name, l, HardLanding(l)});
    const std::string outside = OutsideNotice(plane);
    if (!outside.empty()) Notice(vessel, kOutsideTriangle, outside);
  }
  s.on_plane = true;

  // Only a turn about the plane's normal survives on the ground.
  st.w1 = plane.normal * plane.normal.dot(st.w1);
  const Eigen::Quaterniond to_level =
      Eigen::Quaterniond::FromTwoVectors(q1 * plane.normal, Vec::UnitY());
  const Eigen::Quaterniond level =
      Eigen::Quaterniond::Identity().slerp(dt / (kLevellingTime_s + dt), to_level);

  // The load: backward Euler of a critically damped spring from the start.
  const double k_per_m = c_.gravity / kContactCompression_m;
  const double c_per_m = 2 * std::sqrt(k_per_m);
  const double contact_height = -lowest(level * q1);
  // Drag is left out: its step would shift the rest height with dt.
  const double vy =
      (st.v0.y() + dt * st.vertical_acc + dt * k_per_m * (contact_height - st.x0.y())) /
      (1 + dt * c_per_m + dt * dt * k_per_m);
  const double y = st.x0.y() + dt * vy;
  double normal = st.mass * (k_per_m * (contact_height - y) - c_per_m * vy);
  if (normal > 0) {
    st.v1.y() = vy;
    s.position.y = y;
  } else {
    normal = 0;
    s.position.y = x_free.y();
  }

  // Friction along the vessel's heading and across it, and about the normal.
  const double mu_lng = d.friction_lng.value_or(c_.default_friction_lng);
  const double mu_lat = d.friction_lat.value_or(c_.default_friction_lat);
  const Vec forward = q1 * Vec::UnitZ();
  const double horizontal = std::hypot(forward.x(), forward.z());
  const Vec along =
      horizontal > 0 ? Vec(Vec(forward.x(), 0, forward.z()) / horizontal) : Vec(Vec::UnitZ());
  const Vec across(along.z(), 0, -along.x());
  const double v_lng = Rub(st.v1.dot(along), mu_lng * normal * dt / st.mass);
  const double v_lat = Rub(st.v1.dot(across), mu_lat * normal * dt / st.mass);
  st.v1 = Vec(0, st.v1.y(), 0) + v_lng * along + v_lat * across;
  const double turn_inertia = plane.normal.dot(st.inertia.cwiseProduct(plane.normal));
  const double friction_moment = FrictionArm(plane, mu_lng, mu_lat) * normal;
  st.w1 = plane.normal * Rub(plane.normal.dot(st.w1), friction_moment * dt / turn_inertia);
  if (normal > 0 && std::abs(st.added_yaw_moment) > friction_moment) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "the steering couple exceeds the wheels' friction moment %.0f-fold "
                  "(%.3g N m against %.3g N m)",
                  std::abs(st.added_yaw_moment) / friction_moment, std::abs(st.added_yaw_moment),
                  friction_moment);
    Notice(vessel, kCoupleOverFriction, text);
  }
  s.attitude = ToHost((level * st.q0 * Cayley(dt * (st.w0 + st.w1) / 2)).normalized());
}

}  // namespace vsim

#include "sim/physics/loads.h"

#include <algorithm>
#include <cmath>

namespace vsim {

namespace {
// Below these the flow has no direction worth taking.
constexpr double kMinAirfoilSpeed = 1e-3;  // m/s
constexpr double kMinPlaneSpeed = 1e-6;    // m/s
}  // namespace

void AddThrust(VesselRecord& vessel, double dt, Wrench& loads) {
  Declared& d = vessel.declared;
  for (Thruster& t : d.thrusters) {
    if (!(t.level > 0) || !(t.max0 > 0) || t.resource >= d.propellants.size()) continue;
    Propellant& fuel = d.propellants[t.resource];
    if (!(fuel.mass > 0)) continue;
    const double thrust = t.level * t.max0;
    loads.Add(ToEigen(t.pos), thrust * ToEigen(t.dir));
    if (t.isp > 0) fuel.mass = std::max(0.0, fuel.mass - thrust / t.isp * dt);
  }
}

void AddForces(const Declared& declared, Wrench& loads) {
  for (const Force& added : declared.forces) loads.Add(ToEigen(added.point), ToEigen(added.force));
}

AirLoads Aerodynamics(const Declared& d, const Vec& airspeed, const Vec& rates, const Air& air) {
  AirLoads out;
  if (!(air.density > 0)) return out;
  for (const Airfoil& a : d.airfoils) {
    if (a.coefficients == nullptr) continue;
    const Vec r = ToEigen(a.ref);
    const Vec v = airspeed + rates.cross(r);
    const double speed = v.norm();
    if (!(speed > kMinAirfoilSpeed)) continue;
    const bool vertical = a.orientation == LIFT_VERTICAL;
    // Angle of attack in the vertical plane, sideslip in the horizontal one.
    const double angle = vertical ? std::atan2(-v.y(), v.z()) : std::atan2(v.x(), v.z());
    double cl = 0, cm = 0, cd = 0;
    a.coefficients(angle, speed / air.speed_of_sound, air.density * speed * a.chord / air.viscosity,
                   &cl, &cm, &cd);
    if (!std::isfinite(cl) || !std::isfinite(cm) || !std::isfinite(cd)) continue;
    const double q = 0.5 * air.density * speed * speed;
    // Lift is perpendicular to the flow, in the airfoil's plane.
    const double in_plane = vertical ? std::hypot(v.y(), v.z()) : std::hypot(v.x(), v.z());
    if (in_plane > kMinPlaneSpeed) {
      const Vec lift_dir =
          vertical ? Vec(0, v.z(), -v.y()) / in_plane : Vec(-v.z(), 0, v.x()) / in_plane;
      out.wrench.Add(r, q * a.area * cl * lift_dir);
    }
    // A positive moment coefficient raises the airfoil's own angle.
    const double moment = -q * a.area * a.chord * cm;
    out.wrench.moment += vertical ? Vec(moment, 0, 0) : Vec(0, moment, 0);
    const double drag_area = a.area * std::max(cd, 0.0);
    out.wrench.moment += r.cross(-q * drag_area * v / speed);
    out.drag_area += drag_area;
  }
  for (const DragElement& e : d.drag_elements) {
    if (e.level == nullptr || !std::isfinite(*e.level)) continue;
    const double drag_area = e.factor * std::max(*e.level, 0.0);
    const Vec r = ToEigen(e.ref);
    const Vec v = airspeed + rates.cross(r);
    const double speed = v.norm();
    if (!(speed > 0)) continue;
    out.wrench.moment += r.cross(-0.5 * air.density * speed * drag_area * v);
    out.drag_area += drag_area;
  }
  return out;
}

}  // namespace vsim

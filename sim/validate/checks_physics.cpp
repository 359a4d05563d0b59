// How the vessel a module declares stands, hovers and turns when the host
// flies what it declares.
#include <Eigen/Dense>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "sim/validate/checks.h"
#include "sim/validate/flying_world.h"

namespace vsim::validate {

namespace {

constexpr double kGravity = 9.81;
constexpr double kDeg = 3.14159265358979323846 / 180;

// stands
constexpr double kDropHeight_m = 0.3;
constexpr double kSettle_s = 10;
constexpr double kRestTolerance_m = 0.001;  // still moving, or creeping, beyond this
constexpr double kRestWindow_s = 5;

// hovers
constexpr double kLowFuel = 0.1;
constexpr double kHoverAltitude_m = 50;
constexpr double kClimb_s = 60;
constexpr double kHoverBand_m = 0.5;

// attitude
constexpr double kFiring_s = 1;
constexpr double kTestAltitude_m = 1000;
constexpr double kTumble_deg_s = 30;
constexpr double kStopWithin_s = 20;
constexpr double kStopped_deg_s = 0.5;

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// The loads that hold the vessel level on its three points by statics, the
// negative ones clipped at zero; none when the points are in one line (the
// check refuses such points before it asks).
std::array<double, 3> PointLoads(const VECTOR3 p[3], double weight) {
  // The loads sum to the weight and their moments about the centre of mass vanish.
  Eigen::Matrix3d statics;
  statics << 1, 1, 1, p[0].x, p[1].x, p[2].x, p[0].z, p[1].z, p[2].z;
  const Eigen::FullPivLU<Eigen::Matrix3d> lu(statics);
  std::array<double, 3> loads{};
  if (!lu.isInvertible()) return loads;
  const Eigen::Vector3d solved = lu.solve(Eigen::Vector3d(weight, 0, 0));
  for (int i = 0; i < 3; ++i) loads[static_cast<std::size_t>(i)] = std::max(0.0, solved[i]);
  return loads;
}

// How far the centre of mass (the origin) lies outside the triangle of the
// points seen from above; 0 when inside.
double OutsideTriangle(const VECTOR3 p[3]) {
  double outside = 0;
  const double orientation =
      (p[1].x - p[0].x) * (p[2].z - p[0].z) - (p[2].x - p[0].x) * (p[1].z - p[0].z);
  for (int i = 0; i < 3; ++i) {
    const VECTOR3& a = p[i];
    const VECTOR3& b = p[(i + 1) % 3];
    const double ex = b.x - a.x, ez = b.z - a.z;
    const double length = std::hypot(ex, ez);
    if (length == 0) continue;
    // Signed distance of the origin from the edge, positive inside.
    const double inside = ((0 - a.x) * ez - (0 - a.z) * ex) / length * (orientation < 0 ? 1 : -1);
    outside = std::max(outside, -inside);
  }
  return outside;
}

// The height of the points' plane under the centre of mass, in the vessel
// frame (negative: below it, as it must be to stand on them).
double PlaneUnderOrigin(const VECTOR3 p[3], bool& flat) {
  const double ux = p[1].x - p[0].x, uy = p[1].y - p[0].y, uz = p[1].z - p[0].z;
  const double vx = p[2].x - p[0].x, vy = p[2].y - p[0].y, vz = p[2].z - p[0].z;
  const double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
  flat = std::abs(ny) > 1e-12;
  if (!flat) return 0;
  return p[0].y + (nx * p[0].x + nz * p[0].z) / ny;
}

double TotalHoverLift(const VesselRecord& v) {
  const ThrusterGroup* hover = v.Group(THGROUP_HOVER);
  double lift = 0;
  if (hover == nullptr) return lift;
  for (std::uint32_t t : hover->members)
    lift += v.declared.thrusters[t].max0 * v.declared.thrusters[t].dir.y;
  return lift;
}

double FullFuel(const VesselRecord& v) {
  double fuel = 0;
  for (const Propellant& p : v.declared.propellants) fuel += p.max_mass;
  return fuel;
}

// envelope
constexpr double kClimbRate_m_s = 10;
constexpr double kClimbTo_m = 2000;
constexpr double kDescentRate_m_s = -10;
constexpr double kFlareAt_m = 30;
constexpr double kTouchdownRate_m_s = -1;
constexpr double kSoftLanding_m_s = 3;

// ground-handling
constexpr double kTaxi_m_s = 5;
constexpr double kRudder_s = 1;
constexpr double kRoll_s = 10;
// Beyond these a ground vehicle is implausible; reported as warnings.
constexpr double kPlausibleYawRate_deg_s = 90;
constexpr double kPlausibleRollSpeed_m_s = 50;

}  // namespace

namespace {

Result Stands(const Target& target, std::vector<Flown>& flights) {
  try {
    FlyingWorld flying(target, &flights);
    VesselRecord& v = flying.Create("v");
    const VECTOR3* points = v.declared.touchdown;
    bool flat = false;
    const double plane = PlaneUnderOrigin(points, flat);
    if (!flat)
      return Fail("its three touchdown points do not make a plane that can lie on the ground");
    if (plane >= 0)
      return Fail("the plane of its touchdown points lies " + Format("%.2f", plane) +
                  " m above its centre of mass: it cannot stand on them");
    const double rest = RigidBodyPhysics::RestHeight(v);
    flying.physics.PlaceAt(v, rest + kDropHeight_m);
    flying.Record(v,
                  "dropped from " + Format("%.1f", kDropHeight_m) + " m above its resting height",
                  kSettle_s);
    flying.Fly(kSettle_s - kRestWindow_s);
    const VECTOR3 before = v.flight.position;
    flying.Fly(kRestWindow_s);
    const VECTOR3 after = v.flight.position;
    const double moved = std::sqrt((after.x - before.x) * (after.x - before.x) +
                                   (after.y - before.y) * (after.y - before.y) +
                                   (after.z - before.z) * (after.z - before.z));
    if (!v.flight.on_plane)
      return Fail("dropped from " + Format("%.1f", kDropHeight_m) +
                  " m above its resting height, it is not on its points after " +
                  Format("%.0f", kSettle_s) + " s");
    if (moved > kRestTolerance_m)
      return Fail("it does not come to rest: it moved " + Format("%.4f", moved) +
                  " m in the last " + Format("%.0f", kRestWindow_s) + " s of " +
                  Format("%.0f", kSettle_s) + " (limit " + Format("%.3f", kRestTolerance_m) +
                  " m)");
    const std::array<double, 3> loads = PointLoads(points, v.Mass() * kGravity);
    std::string figures =
        "rests at " + Format("%.3f", v.readings.altitude) + " m (its points put it at " +
        Format("%.3f", rest) + " m), moved " + Format("%.4f", moved) + " m in its last " +
        Format("%.0f", kRestWindow_s) + " s (limit " + Format("%.3f", kRestTolerance_m) +
        "); loads on its points " + Format("%.1f", loads[0] / 1000) + ", " +
        Format("%.1f", loads[1] / 1000) + ", " + Format("%.1f", loads[2] / 1000) + " kN";
    const double outside = OutsideTriangle(points);
    const std::vector<Figure> measured = {
        AtMost("centre of mass outside the touchdown triangle", outside, "m", 0),
        AtMost("moved in the last " + Format("%.0f", kRestWindow_s) + " s", moved, "m",
               kRestTolerance_m),
        Measured("resting height", v.readings.altitude, "m"),
        Measured("load on point 1", loads[0] / 1000, "kN"),
        Measured("load on point 2", loads[1] / 1000, "kN"),
        Measured("load on point 3", loads[2] / 1000, "kN")};
    if (outside > 0)
      return Warn(figures + "; its centre of mass lies " + Format("%.2f", outside) +
                      " m outside the triangle of its points: held level by the landing plane "
                      "alone",
                  measured);
    return Pass(figures, measured);
  } catch (const Broken& b) {
    return b.result;
  }
}

Result Hovers(const Target& target, std::vector<Flown>& flights) {
  try {
    FlyingWorld flying(target, &flights);
    VesselRecord& v = flying.Create("v");
    const double lift = TotalHoverLift(v);
    if (v.Group(THGROUP_HOVER) == nullptr) return Skip("not applicable: no hover thrusters");
    const double fuel = FullFuel(v);
    const double full = (v.declared.empty_mass + fuel) * kGravity;
    const double low = (v.declared.empty_mass + kLowFuel * fuel) * kGravity;
    if (!(lift > 0)) return Fail("its hover thrusters give no lift upwards");
    const std::string balance = "balance level " + Format("%.5f", full / lift) + " at full fuel, " +
                                Format("%.5f", low / lift) + " at 10 % (limit 1)";
    if (full > lift)
      return Fail("its hover group cannot carry it: " + Format("%.0f", lift) +
                  " N of lift against " + Format("%.0f", full) + " N of weight at full fuel (" +
                  balance + ")");
    flying.Hold(v, Autopilot::kAltitude, kHoverAltitude_m);
    try {
      flying.Hold(v, Autopilot::kLevel);
    } catch (const HoldError&) {
      // A vessel without attitude groups hovers as it is.
    }
    const double held_s = target.sizes().held_hover_s;
    flying.Record(v, "climb to " + Format("%.0f", kHoverAltitude_m) + " m and hold it",
                  kClimb_s + held_s);
    flying.Fly(kClimb_s);
    double lowest = v.readings.altitude, highest = lowest;
    const long long steps = std::llround(held_s / flying.Dt());
    for (long long i = 0; i < steps; ++i) {
      flying.Fly(flying.Dt());
      lowest = std::min(lowest, v.readings.altitude);
      highest = std::max(highest, v.readings.altitude);
    }
    const double off = std::max(highest - kHoverAltitude_m, kHoverAltitude_m - lowest);
    const std::string held = "under the altitude hold " + Format("%.2f", lowest) + " to " +
                             Format("%.2f", highest) + " m for " + Format("%.0f", held_s) +
                             " s (limit " + Format("%.0f", kHoverAltitude_m) + " +- " +
                             Format("%.1f", kHoverBand_m) + " m)";
    if (off > kHoverBand_m) return Fail("it does not hold its hover: " + held + "; " + balance);
    return Pass(balance + "; " + held,
                {AtMost("largest altitude error under the hold", off, "m", kHoverBand_m),
                 AtMost("balance level at full fuel", full / lift, "", 1),
                 AtMost("balance level at 10 % fuel", low / lift, "", 1)});
  } catch (const Broken& b) {
    return b.result;
  } catch (const HoldError& e) {
    return Fail(std::string("the host cannot hold it: ") + e.what());
  }
}

Result Attitude(const Target& target, std::vector<Flown>& flights) {
  struct Turn {
    THGROUP_TYPE group;
    const char* name;
    int axis;  // 0 pitch (nose up), 1 yaw (nose right), 2 bank (right wing up)
    int sign;
  };
  constexpr Turn kTurns[] = {
      {THGROUP_ATT_PITCHUP, "pitch up", 0, 1},   {THGROUP_ATT_PITCHDOWN, "pitch down", 0, -1},
      {THGROUP_ATT_YAWRIGHT, "yaw right", 1, 1}, {THGROUP_ATT_YAWLEFT, "yaw left", 1, -1},
      {THGROUP_ATT_BANKLEFT, "bank left", 2, 1}, {THGROUP_ATT_BANKRIGHT, "bank right", 2, -1},
  };
  constexpr const char* kAxes[] = {"pitch", "yaw", "bank"};
  try {
    std::string rates;
    std::vector<Figure> measured;
    int found = 0;
    for (const Turn& turn : kTurns) {
      FlyingWorld flying(target);
      VesselRecord& v = flying.Create("v");
      flying.physics.PlaceAt(v, kTestAltitude_m);
      if (!flying.Fire(v, turn.group, 1)) continue;
      ++found;
      flying.Fly(kFiring_s);
      const double got[3] = {v.flight.PitchRate(), v.flight.YawRate(), v.flight.BankRate()};
      const double rate = got[turn.axis];
      rates += std::string(rates.empty() ? "" : ", ") + turn.name + " " +
               Format("%.1f", rate / kDeg) + " deg/s";
      measured.push_back(Measured(std::string(turn.name) + " " + kAxes[turn.axis] + " rate",
                                  rate / kDeg, "deg/s"));
      if (!(rate * turn.sign > 0))
        return Fail(std::string("its ") + turn.name +
                    " group turns it the wrong way: " + kAxes[turn.axis] + " rate " +
                    Format("%.2f", rate / kDeg) + " deg/s after " + Format("%.0f", kFiring_s) +
                    " s at full level (a mounting the wrong way round?)");
    }
    if (found == 0) return Skip("not applicable: no attitude groups");
    FlyingWorld flying(target, &flights);
    VesselRecord& v = flying.Create("v");
    flying.physics.PlaceAt(v, kTestAltitude_m);
    flying.Record(
        v, "a tumble at " + Format("%.0f", kTumble_deg_s) + " deg/s under the kill-rotation hold",
        kStopWithin_s);
    flying.physics.SetRates(v, {kTumble_deg_s * kDeg, kTumble_deg_s * kDeg, kTumble_deg_s * kDeg});
    flying.Hold(v, Autopilot::kKillRotation);
    double stopped_after = -1;
    const long long steps = std::llround(kStopWithin_s / flying.Dt());
    for (long long i = 0; i < steps && stopped_after < 0; ++i) {
      flying.Fly(flying.Dt());
      const double fastest = std::max({std::abs(v.flight.PitchRate()), std::abs(v.flight.YawRate()),
                                       std::abs(v.flight.BankRate())});
      if (fastest < kStopped_deg_s * kDeg) stopped_after = static_cast<double>(i + 1) * flying.Dt();
    }
    if (stopped_after < 0)
      return Fail("under the kill-rotation hold a tumble at " + Format("%.0f", kTumble_deg_s) +
                  " deg/s does not stop within " + Format("%.0f", kStopWithin_s) + " s; " + rates);
    measured.insert(measured.begin(),
                    AtMost("tumble stopped after", stopped_after, "s", kStopWithin_s));
    return Pass(rates + "; a tumble at " + Format("%.0f", kTumble_deg_s) + " deg/s stopped in " +
                    Format("%.1f", stopped_after) + " s (limit " + Format("%.0f", kStopWithin_s) +
                    " s)",
                measured);
  } catch (const Broken& b) {
    return b.result;
  } catch (const HoldError& e) {
    return Fail(std::string("the host cannot hold it: ") + e.what());
  }
}

// What the envelope flight measured: the largest of each.
struct Limits {
  double body_rate = 0, load_factor = 0, speed = 0, altitude = 0, descent = 0;
  void Note(const VesselRecord& v, double previous_vspeed, double dt) {
    body_rate = std::max({body_rate, std::abs(v.flight.PitchRate()), std::abs(v.flight.YawRate()),
                          std::abs(v.flight.BankRate())});
    const double vertical_acceleration = (v.flight.VerticalSpeed() - previous_vspeed) / dt;
    load_factor = std::max(load_factor, std::abs(1 + vertical_acceleration / kGravity));
    speed = std::max(speed, v.readings.airspeed);
    altitude = std::max(altitude, v.readings.altitude);
    descent = std::max(descent, -v.flight.VerticalSpeed());
  }
};

Result Envelope(const Target& target, std::vector<Flown>& flights) {
  try {
    FlyingWorld flying(target, &flights);
    const Sizes& sizes = target.sizes();
    VesselRecord& v = flying.Create("v");
    if (v.Group(THGROUP_HOVER) == nullptr) return Skip("not applicable: no hover thrusters");
    const bool attitude = v.Group(THGROUP_ATT_PITCHUP) != nullptr;
    if (attitude) flying.Hold(v, Autopilot::kLevel);
    flying.Hold(v, Autopilot::kVerticalSpeed, kClimbRate_m_s);
    flying.Record(v, "climb, forward flight, descent and landing under the holds", sizes.flight_s);
    Limits limits;
    enum class Leg { kClimb, kCruise, kDescent, kFlare, kDown } leg = Leg::kClimb;
    double cruise_left = sizes.cruise_s;
    const long long steps = std::llround(sizes.flight_s / flying.Dt());
    for (long long i = 0; i < steps && leg != Leg::kDown; ++i) {
      const double vspeed = v.flight.VerticalSpeed();
      flying.Fly(flying.Dt());
      limits.Note(v, vspeed, flying.Dt());
      const bool finite = std::isfinite(v.flight.position.x) &&
                          std::isfinite(v.flight.position.y) &&
                          std::isfinite(v.flight.position.z) && std::isfinite(v.flight.velocity.y);
      if (!finite) return Fail("its flight became non-finite", "step " + std::to_string(i + 1));
      switch (leg) {
        case Leg::kClimb:
          if (v.readings.altitude >= kClimbTo_m) {
            flying.Hold(v, Autopilot::kAltitude, kClimbTo_m);
            flying.Fire(v, THGROUP_MAIN, 1);
            leg = Leg::kCruise;
          }
          break;
        case Leg::kCruise:
          if ((cruise_left -= flying.Dt()) <= 0) {
            flying.Fire(v, THGROUP_MAIN, 0);
            flying.Hold(v, Autopilot::kVerticalSpeed, kDescentRate_m_s);
            leg = Leg::kDescent;
          }
          break;
        case Leg::kDescent:
          if (v.readings.altitude <= kFlareAt_m) {
            flying.Hold(v, Autopilot::kVerticalSpeed, kTouchdownRate_m_s);
            leg = Leg::kFlare;
          }
          break;
        case Leg::kFlare:
          if (v.flight.landing.happened) leg = Leg::kDown;
          break;
        case Leg::kDown: break;
      }
    }
    const std::string figures = "largest body rate " + Format("%.1f", limits.body_rate / kDeg) +
                                " deg/s, load factor " + Format("%.2f", limits.load_factor) +
                                ", speed " + Format("%.1f", limits.speed) + " m/s, altitude " +
                                Format("%.0f", limits.altitude) + " m, descent rate " +
                                Format("%.1f", limits.descent) + " m/s";
    if (leg != Leg::kDown)
      return Fail("a " + Format("%.0f", sizes.flight_s / 60) +
                  "-minute flight under the host's holds did not end on the ground; " + figures);
    const Landing& landing = v.flight.landing;
    if (landing.crash || -landing.vspeed > kSoftLanding_m_s)
      return Fail("its landing under the holds was not soft: " + Format("%.1f", -landing.vspeed) +
                  " m/s (limit " + Format("%.0f", kSoftLanding_m_s) + " m/s); " + figures);
    return Pass(
        "climb, forward flight, descent and a landing at " + Format("%.1f", -landing.vspeed) +
            " m/s (limit " + Format("%.0f", kSoftLanding_m_s) + "); " + figures,
        {AtMost("landing sink rate", -landing.vspeed, "m/s", kSoftLanding_m_s),
         Measured("largest body rate", limits.body_rate / kDeg, "deg/s"),
         Measured("largest load factor", limits.load_factor, "g"),
         Measured("fastest", limits.speed, "m/s"), Measured("highest", limits.altitude, "m"),
         Measured("fastest descent", limits.descent, "m/s")});
  } catch (const Broken& b) {
    return b.result;
  } catch (const HoldError& e) {
    return Fail(std::string("the host cannot hold it: ") + e.what());
  }
}

Result GroundHandling(const Target& target, std::vector<Flown>& flights) {
  try {
    std::string figures;
    std::vector<Figure> measured;
    bool implausible = false;
    double highest_state = 0;
    {
      FlyingWorld flying(target, &flights);
      flying.check_states = false;
      VesselRecord& v = flying.Create("v");
      flying.physics.SetForwardSpeed(v, kTaxi_m_s);
      v.controls.rudder = 1;
      flying.Record(v, "full rudder from " + Format("%.0f", kTaxi_m_s) + " m/s", kRudder_s);
      flying.Fly(kRudder_s);
      const double yaw = std::abs(v.flight.YawRate()) / kDeg;
      figures = "yaw rate " + Format("%.0f", yaw) + " deg/s " + Format("%.0f", kRudder_s) +
                " s after full rudder from " + Format("%.0f", kTaxi_m_s) +
                " m/s (plausible up to " + Format("%.0f", kPlausibleYawRate_deg_s) + ")";
      implausible = yaw > kPlausibleYawRate_deg_s;
      measured.push_back(AtMost("yaw rate " + Format("%.0f", kRudder_s) + " s after full rudder",
                                yaw, "deg/s", kPlausibleYawRate_deg_s));
      highest_state = flying.highest_state;
    }
    {
      FlyingWorld flying(target, &flights);
      flying.check_states = false;
      VesselRecord& v = flying.Create("v");
      if (flying.Fire(v, THGROUP_MAIN, 1)) {
        flying.Record(v, Format("%.0f", kRoll_s) + " s of full forward thrust on the ground",
                      kRoll_s);
        flying.Fly(kRoll_s);
        const double speed = v.flight.GroundSpeed();
        figures += "; ground speed " + Format("%.1f", speed) + " m/s after " +
                   Format("%.0f", kRoll_s) + " s of full forward thrust (plausible up to " +
                   Format("%.0f", kPlausibleRollSpeed_m_s) + ")";
        implausible = implausible || (v.flight.on_plane && speed > kPlausibleRollSpeed_m_s);
        measured.push_back(AtMost("ground speed after " + Format("%.0f", kRoll_s) + " s", speed,
                                  "m/s", kPlausibleRollSpeed_m_s));
      }
      highest_state = std::max(highest_state, flying.highest_state);
    }
    std::string beyond;
    if (highest_state > 1)
      beyond = "; an animation state reached " + Format("%.4f", highest_state) +
               " while rolling, beyond 0..1 (a wheel's turn handed on past its end)";
    if (implausible)
      return Warn(figures + ": more than a vehicle on wheels would do" + beyond, measured);
    return beyond.empty() ? Pass(figures, measured) : Warn(figures + beyond, measured);
  } catch (const Broken& b) {
    return b.result;
  }
}

// The flights a check flew go with its result, whatever it is.
Result WithFlights(Result (*check)(const Target&, std::vector<Flown>&), const Target& target) {
  std::vector<Flown> flights;
  Result result = check(target, flights);
  result.flights = std::move(flights);
  return result;
}

}  // namespace

Result CheckStands(const Target& target) { return WithFlights(Stands, target); }
Result CheckHovers(const Target& target) { return WithFlights(Hovers, target); }
Result CheckAttitude(const Target& target) { return WithFlights(Attitude, target); }
Result CheckEnvelope(const Target& target) { return WithFlights(Envelope, target); }
Result CheckGroundHandling(const Target& target) { return WithFlights(GroundHandling, target); }

}  // namespace vsim::validate

// The simple physics over a vessel record built by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "sim/physics/atmosphere.h"
#include "sim/physics/attitude.h"
#include "sim/physics/ground_contact.h"
#include "sim/physics/gusts.h"
#include "sim/physics/rigid_body.h"

namespace {

// Where the box rests: its plane, less the contacts' compression.
constexpr double kRest = 2.5 - vsim::kContactCompression_m;

vsim::VesselRecord Vessel(double thrust_up_N = 0) {
  vsim::VesselRecord v;
  v.name = "box";
  v.declared.empty_mass = 1000;
  v.declared.touchdown[0] = {0, -2.5, 1};
  v.declared.touchdown[1] = {-1, -2.5, -1};
  v.declared.touchdown[2] = {1, -2.5, -1};
  v.declared.pmi = {1, 1, 1};
  v.declared.propellants.push_back({100, 100, 1});
  vsim::Thruster hover;
  hover.dir = {0, 1, 0};
  hover.max0 = thrust_up_N;
  hover.resource = 0;
  hover.isp = 1000;
  hover.level = thrust_up_N > 0 ? 1 : 0;
  v.declared.thrusters.push_back(hover);
  return v;
}

std::vector<std::unique_ptr<vsim::VesselRecord>> World(vsim::VesselRecord v) {
  std::vector<std::unique_ptr<vsim::VesselRecord>> world;
  world.push_back(std::make_unique<vsim::VesselRecord>(std::move(v)));
  return world;
}

TEST(RigidBodyPhysics, RestsOnItsLowestContactPoint) {
  vsim::RigidBodyPhysics physics;
  auto world = World(Vessel());
  physics.Placed(*world[0]);
  EXPECT_EQ(world[0]->readings.altitude, kRest);
  EXPECT_TRUE(world[0]->readings.ground_contact);
  for (int i = 0; i < 100; ++i) physics.Integrate(world, 0.1);
  EXPECT_EQ(world[0]->readings.altitude, kRest) << "the ground holds it";
}

TEST(RigidBodyPhysics, ThrustAboveWeightLiftsAndBurnsFuel) {
  vsim::RigidBodyPhysics physics;
  auto world = World(Vessel(20000));
  physics.Placed(*world[0]);
  for (int i = 0; i < 10; ++i) physics.Integrate(world, 0.1);
  EXPECT_GT(world[0]->readings.altitude, kRest);
  EXPECT_FALSE(world[0]->readings.ground_contact);
  EXPECT_LT(world[0]->FuelMass(), 100);
}

TEST(RigidBodyPhysics, DragSlowsButNeverReverses) {
  vsim::RigidBodyPhysics physics;
  vsim::VesselRecord v = Vessel();
  v.declared.cw[0] = 1e9;
  v.declared.cross_sections = {1, 1, 1e6};
  auto world = World(std::move(v));
  physics.Placed(*world[0]);
  physics.PlaceAt(*world[0], 1000);
  physics.SetForwardSpeed(*world[0], 100);
  physics.Integrate(world, 0.1);
  EXPECT_GE(world[0]->readings.airspeed_vector.z, 0.0);
  EXPECT_LT(world[0]->readings.airspeed_vector.z, 100.0);
}

TEST(RigidBodyPhysics, HeadingWrapsIntoOneTurn) {
  vsim::RigidBodyPhysics physics;
  auto world = World(Vessel());
  physics.SetHeading(*world[0], -PI / 2);
  EXPECT_DOUBLE_EQ(world[0]->readings.heading, 1.5 * PI);
  physics.SetHeading(*world[0], 5 * PI);
  EXPECT_NEAR(world[0]->readings.heading, PI, 1e-12);
}

TEST(RigidBodyPhysics, NoStepForANonPositiveOrInfiniteLength) {
  vsim::RigidBodyPhysics physics;
  auto world = World(Vessel(20000));
  physics.Placed(*world[0]);
  for (double dt : {0.0, -1.0, static_cast<double>(INFINITY), static_cast<double>(NAN)})
    physics.Integrate(world, dt);
  EXPECT_EQ(world[0]->readings.altitude, kRest);
  EXPECT_EQ(world[0]->FuelMass(), 100);
}

// A step whose result is not finite is undone, said once, and the vessel
// flies on from its last good state when sane values return; a state
// spoiled from outside is put back before the next step.
TEST(RigidBodyPhysics, ANonFiniteStepKeepsTheLastGoodState) {
  vsim::RigidBodyPhysics physics;
  auto world = World(Vessel(20000));
  vsim::VesselRecord& box = *world[0];
  physics.Placed(box);
  physics.Integrate(world, 0.1);
  const double altitude = box.readings.altitude;
  const double fuel = box.FuelMass();
  for (int i = 0; i < 3; ++i) {
    box.flight.velocity.y = 1e308;
    physics.Integrate(world, 1000);
  }
  EXPECT_EQ(box.readings.altitude, altitude);
  EXPECT_EQ(box.FuelMass(), fuel);
  EXPECT_EQ(physics.TakeRejected(), std::vector<std::string>{"box"});
  EXPECT_TRUE(physics.TakeRejected().empty()) << "taken once";

  physics.Integrate(world, 0.1);
  EXPECT_GT(box.readings.altitude, altitude);
  EXPECT_TRUE(std::isfinite(box.flight.velocity.y));

  const double flying = box.readings.altitude;
  box.readings.altitude = NAN;
  box.flight.position.y = INFINITY;
  physics.Integrate(world, 0.0);
  EXPECT_TRUE(std::isnan(box.readings.altitude)) << "no step, nothing touched";
  physics.Integrate(world, 0.1);
  EXPECT_GT(box.readings.altitude, flying);
  EXPECT_TRUE(std::isfinite(box.flight.position.y));
}

}  // namespace

namespace {

struct IsaPoint {
  const char* name;
  double geopotential_m;
  double temperature_K, pressure_Pa;
};
class Isa : public ::testing::TestWithParam<IsaPoint> {};

// The standard's own table at each layer's base, reached through the
// geometric altitude the physics takes.
TEST_P(Isa, MatchesTheStandardAtEachLayerBase) {
  constexpr double kEarthRadius_m = 6356766;
  const double h = GetParam().geopotential_m;
  const vsim::Air air = vsim::AirAt(kEarthRadius_m * h / (kEarthRadius_m - h));
  EXPECT_NEAR(air.temperature, GetParam().temperature_K, 1e-6 * GetParam().temperature_K);
  EXPECT_NEAR(air.pressure, GetParam().pressure_Pa, 1e-4 * GetParam().pressure_Pa);
  EXPECT_NEAR(air.density, air.pressure / (287.05287 * air.temperature), 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Layers, Isa,
                         ::testing::Values(IsaPoint{"SeaLevel", 0, 288.15, 101325},
                                           IsaPoint{"Tropopause", 11000, 216.65, 22632.06},
                                           IsaPoint{"Stratosphere", 20000, 216.65, 5474.889},
                                           IsaPoint{"Stratosphere32", 32000, 228.65, 868.0187},
                                           IsaPoint{"Stratopause", 47000, 270.65, 110.9063},
                                           IsaPoint{"Mesosphere", 51000, 270.65, 66.93887},
                                           IsaPoint{"Mesosphere71", 71000, 214.65, 3.956420}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IsaEdges, SeaLevelDensitySoundAndViscosityAndVacuumAbove86Km) {
  EXPECT_NEAR(vsim::AirAt(0).density, vsim::kSeaLevelDensity, 1e-4);
  EXPECT_NEAR(vsim::AirAt(0).speed_of_sound, 340.294, 1e-3);
  // Sutherland's law, as the standard tabulates it: 1.7894e-5 kg/(m s) at
  // sea level, 1.4216e-5 at the tropopause (216.65 K).
  EXPECT_NEAR(vsim::AirAt(0).viscosity, 1.7894e-5, 1e-9);
  EXPECT_NEAR(vsim::AirAt(11019.1).viscosity, 1.4216e-5, 1e-9);
  EXPECT_EQ(vsim::AirAt(-50).pressure, vsim::AirAt(0).pressure) << "below ground: sea level";
  EXPECT_GT(vsim::AirAt(85'999).density, 0);
  EXPECT_EQ(vsim::AirAt(86'001).density, 0);
  EXPECT_EQ(vsim::AirAt(1e6).pressure, 0);
}

struct Attitude {
  const char* name;
  vsim::Euler angles;
  VECTOR3 forward;  // the nose in world coordinates
};
class EulerAngles : public ::testing::TestWithParam<Attitude> {};

// Heading, then pitch, then bank: the nose points where they say, and the
// angles come back as they went in.
TEST_P(EulerAngles, PointTheNoseAndRoundTrip) {
  const Eigen::Quaterniond q = vsim::FromEuler(GetParam().angles);
  const vsim::Vec nose = q * vsim::Vec::UnitZ();
  EXPECT_NEAR((nose - vsim::ToEigen(GetParam().forward)).norm(), 0, 1e-12);
  const vsim::Euler back = vsim::ToEuler(q);
  EXPECT_NEAR(back.heading, GetParam().angles.heading, 1e-12);
  EXPECT_NEAR(back.pitch, GetParam().angles.pitch, 1e-12);
  EXPECT_NEAR(back.bank, GetParam().angles.bank, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, EulerAngles,
    ::testing::Values(
        Attitude{"North", {0, 0, 0}, {0, 0, 1}}, Attitude{"East", {PI / 2, 0, 0}, {1, 0, 0}},
        Attitude{"NoseUp", {0, PI / 6, 0}, {0, 0.5, std::sqrt(0.75)}},
        Attitude{"WestBankedLeft", {1.5 * PI, 0, 0.4}, {-1, 0, 0}},
        Attitude{"SouthNoseDownBanked", {PI, -0.3, -1.0}, {0, -std::sin(0.3), -std::cos(0.3)}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EulerAngles, APositiveBankLiftsTheRightWing) {
  const vsim::Vec right = vsim::FromEuler({0, 0, 0.3}) * vsim::Vec::UnitX();
  EXPECT_NEAR(right.y(), std::sin(0.3), 1e-15);
}

// The statics of the helicopter's points: the centre of mass 0.93 m behind
// the mains, so the nose carries nothing and the mains half each.
TEST(LandingPlane, LoadsClippedAndTheCentreOutsideTold) {
  vsim::Declared d;
  d.touchdown[0] = {0, -4.25, 7.068734};
  d.touchdown[1] = {-2, -4.25, 0.9311422};
  d.touchdown[2] = {2, -4.25, 0.9311422};
  const vsim::LandingPlane plane = vsim::PlaneOf(d);
  EXPECT_NEAR(plane.height, 4.25, 1e-12);
  EXPECT_NEAR(plane.normal.y(), 1, 1e-12);
  EXPECT_EQ(plane.share[0], 0);
  EXPECT_NEAR(plane.share[1], 0.5, 1e-12);
  EXPECT_NEAR(plane.share[2], 0.5, 1e-12);
  EXPECT_EQ(vsim::OutsideNotice(plane),
            "the centre of mass lies outside the touchdown triangle, 0.93 m behind the main "
            "points; held level by the landing plane");
  EXPECT_NEAR(vsim::FrictionArm(plane, 0.25, 0.65), 0.65 * 0.9311422 + 0.25 * 2, 1e-12);
}

TEST(LandingPlane, ACentreInsideSharesByStaticsAndSaysNothing) {
  vsim::Declared d;
  d.touchdown[0] = {0, -1, 2};
  d.touchdown[1] = {-1, -1, -1};
  d.touchdown[2] = {1, -1, -1};
  const vsim::LandingPlane plane = vsim::PlaneOf(d);
  EXPECT_NEAR(plane.share[0], 1.0 / 3, 1e-12);
  EXPECT_NEAR(plane.share[1] + plane.share[2], 2.0 / 3, 1e-12);
  EXPECT_TRUE(vsim::OutsideNotice(plane).empty());
}

// A wind from the east: a vessel at rest over the ground, nose north,
// meets the air from its right.
TEST(Wind, AirspeedIsTheVelocityThroughTheAir) {
  vsim::RigidBodyPhysics physics;
  auto world = World(Vessel());
  physics.Placed(*world[0]);
  physics.SetWind(10, PI / 2);
  physics.UpdateReadings(*world[0]);
  EXPECT_NEAR(world[0]->readings.airspeed, 10, 1e-12);
  EXPECT_NEAR(world[0]->readings.airspeed_vector.x, 10, 1e-12);
  EXPECT_NEAR(world[0]->readings.slip, PI / 2, 1e-12);
  EXPECT_EQ(world[0]->flight.GroundSpeed(), 0);
}

// A box with drag, flying north at an altitude: its slowing tells the air
// it met.
vsim::VesselRecord DraggedAt(vsim::RigidBodyPhysics& physics, double altitude) {
  vsim::VesselRecord v = Vessel();
  v.declared.cw[0] = 1;
  v.declared.cross_sections = {1, 1, 10};
  physics.Placed(v);
  physics.SetPosition(v, {0, altitude, 0});
  physics.SetForwardSpeed(v, 100);
  return v;
}

// The air a step starts in is kept from the step before: a vessel moved in
// between, or one that takes another's place in the list, meets its own.
TEST(AirBetweenSteps, AMovedVesselMeetsTheAirWhereItIsNow) {
  vsim::RigidBodyPhysics moved;
  auto world = World(DraggedAt(moved, 1000));
  moved.Integrate(world, 0.1);
  moved.SetPosition(*world[0], {0, 20000, 0});
  moved.SetForwardSpeed(*world[0], 100);
  moved.Integrate(world, 0.1);

  vsim::RigidBodyPhysics fresh;
  auto there = World(DraggedAt(fresh, 20000));
  fresh.Integrate(there, 0.1);
  EXPECT_EQ(world[0]->readings.airspeed, there[0]->readings.airspeed);
  EXPECT_EQ(world[0]->readings.mach, there[0]->readings.mach);
}

TEST(AirBetweenSteps, AVesselTakingAnothersPlaceMeetsItsOwnAir) {
  vsim::RigidBodyPhysics physics;
  std::vector<std::unique_ptr<vsim::VesselRecord>> world;
  world.push_back(std::make_unique<vsim::VesselRecord>(DraggedAt(physics, 1000)));
  world.push_back(std::make_unique<vsim::VesselRecord>(DraggedAt(physics, 20000)));
  physics.Integrate(world, 0.1);
  world.erase(world.begin());
  physics.Integrate(world, 0.1);

  vsim::RigidBodyPhysics alone;
  auto high = World(DraggedAt(alone, 20000));
  alone.Integrate(high, 0.1);
  alone.Integrate(high, 0.1);
  EXPECT_EQ(world[0]->readings.airspeed, high[0]->readings.airspeed);
  EXPECT_EQ(world[0]->flight.position.y, high[0]->flight.position.y);
}

// The gusts' statistics over a long run of steps of h, in one direction.
struct GustFigures {
  double mean = 0, rms = 0;
};
GustFigures East(vsim::Gusts gusts, double h, int steps) {
  double sum = 0, squares = 0;
  for (int i = 0; i < steps; ++i) {
    const double east = gusts.Step(h).x();
    sum += east;
    squares += east * east;
  }
  return {sum / steps, std::sqrt(squares / steps)};
}

constexpr double kGustStep_s = 0.02;
constexpr int kGustSteps = 180000;  // an hour
constexpr double kGustRms_mps = 3;
// Five standard deviations of the figures of an hour: for the filter's
// a = T / (T + h) the mean of n steps spreads by s sqrt((1 + a) / (n (1 - a)))
// and the mean square by s^2 sqrt(2 (1 + a^2) / (n (1 - a^2))).
constexpr double kSpreads = 5;

TEST(Gusts, KeepTheMeanWindAndTheirRootMeanSquare) {
  const double a = vsim::Gusts::kTimeConstant_s / (vsim::Gusts::kTimeConstant_s + kGustStep_s);
  const double n = kGustSteps;
  const double mean_spread = kGustRms_mps * std::sqrt((1 + a) / (n * (1 - a)));
  const double square_spread =
      kGustRms_mps * kGustRms_mps * std::sqrt(2 * (1 + a * a) / (n * (1 - a * a)));
  for (std::uint64_t seed : {1u, 2u, 77u}) {
    const GustFigures f = East(vsim::Gusts(kGustRms_mps, seed), kGustStep_s, kGustSteps);
    EXPECT_NEAR(f.mean, 0, kSpreads * mean_spread) << "seed " << seed;
    EXPECT_NEAR(f.rms * f.rms, kGustRms_mps * kGustRms_mps, kSpreads * square_spread)
        << "seed " << seed;
  }
}

TEST(Gusts, ChangeSmoothlyWithTheirTimeConstant) {
  // From one step to the next a gust changes by about s sqrt(2 h / T), far
  // less than its own size: filtered, not white.
  vsim::Gusts gusts(kGustRms_mps, 5);
  double previous = gusts.Now().x(), largest = 0;
  for (int i = 0; i < kGustSteps; ++i) {
    const double east = gusts.Step(kGustStep_s).x();
    largest = std::max(largest, std::abs(east - previous));
    previous = east;
  }
  const double step_spread =
      kGustRms_mps * std::sqrt(2 * kGustStep_s / vsim::Gusts::kTimeConstant_s);
  EXPECT_LT(largest, 2 * std::sqrt(3.0) * step_spread);
  EXPECT_GT(largest, step_spread / 2);
}

TEST(Gusts, TheSameSeedBlowsTheSameAndAnotherDifferently) {
  vsim::Gusts one(kGustRms_mps, 42), again(kGustRms_mps, 42), other(kGustRms_mps, 43);
  bool differs = false;
  for (int i = 0; i < 1000; ++i) {
    const vsim::Vec g = one.Step(kGustStep_s);
    EXPECT_EQ(g, again.Step(kGustStep_s));
    differs = differs || g != other.Step(kGustStep_s);
    EXPECT_EQ(g.y(), 0) << "horizontal only";
  }
  EXPECT_TRUE(differs);
}

// A box parked in the air by its own thrust, in a gusty wind: its airspeed
// follows the gusts, and the seed alone decides them.
double AirspeedAfter(std::uint64_t seed, double rms) {
  vsim::RigidBodyPhysics physics;
  auto world = World(Vessel(0));
  physics.Placed(*world[0]);
  physics.PlaceAt(*world[0], 1000);
  physics.SetWind(10, PI / 2);
  physics.SetGusts(rms, seed);
  for (int i = 0; i < 100; ++i) physics.Integrate(world, kGustStep_s);
  return world[0]->readings.airspeed_vector.x;
}

TEST(Gusts, FlyTheSameForASeedOverTheMeanWind) {
  EXPECT_EQ(AirspeedAfter(7, kGustRms_mps), AirspeedAfter(7, kGustRms_mps));
  EXPECT_NE(AirspeedAfter(7, kGustRms_mps), AirspeedAfter(8, kGustRms_mps));
  EXPECT_EQ(AirspeedAfter(7, 0), AirspeedAfter(8, 0)) << "no gusts, no seed";
  EXPECT_NEAR(AirspeedAfter(7, 0), 10, 1e-9) << "the mean wind from the east";
}

}  // namespace

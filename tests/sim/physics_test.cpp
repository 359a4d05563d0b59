// The simple physics over a vessel record built by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "sim/physics/ground_contact.h"
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

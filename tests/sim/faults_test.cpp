// The fault wrapper changes the answers it is told to and forwards the rest.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "sim/core/host.h"
#include "sim/faults/fault_answers.h"

namespace {

TEST(FaultyAnswers, OverridesOnlyWhatItIsToldTo) {
  vsim::Host host;
  vsim::FaultyAnswers faults(host.core_answers());
  vsim::VesselRecord vessel;
  vessel.readings.altitude = 120;
  vessel.readings.airspeed = 30;
  faults.Override(vsim::Query::kAltitude, std::numeric_limits<double>::quiet_NaN());
  EXPECT_TRUE(std::isnan(faults.Altitude(vessel)));
  EXPECT_EQ(faults.Airspeed(vessel), 30);
  faults.Clear(vsim::Query::kAltitude);
  EXPECT_EQ(faults.Altitude(vessel), 120);
}

TEST(FaultyAnswers, NullHandlesHideWhatTheHostCreated) {
  vsim::Host host;
  vsim::FaultyAnswers faults(host.core_answers());
  int object = 0;
  EXPECT_EQ(faults.Issue(&object), &object);
  faults.NullHandles(true);
  EXPECT_EQ(faults.Issue(&object), nullptr);
}

TEST(FaultyAnswers, DeferredTimeAccelerationTakesEffectAtTheNextStep) {
  vsim::Host host;
  vsim::FaultyAnswers faults(host.core_answers());
  host.SetAnswers(&faults);
  faults.DeferTimeAcceleration(true);
  host.answers().RequestTimeAcceleration(host, 10);
  EXPECT_EQ(host.TimeAcceleration(), 1);
  host.Step();
  EXPECT_EQ(host.TimeAcceleration(), 10);
  faults.DeferTimeAcceleration(false);
  host.answers().RequestTimeAcceleration(host, 2);
  EXPECT_EQ(host.TimeAcceleration(), 2);
}

}  // namespace

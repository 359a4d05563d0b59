// The helicopter's make-up values that the flight step sets again at run time.
#pragma once

#include "host/host_api.h"

// Contact point sets: nose point, left main, right main.
constexpr VECTOR3 kGearDownPoints[3] = {
    {0, -4.25, 7.068734}, {-2, -4.25, 0.9311422}, {2, -4.25, 0.9311422}};
constexpr VECTOR3 kBellyPoints[3] = {
    {0, -3.79355, 7.068734}, {-2, -3.79355, 0.9311422}, {2, -3.79355, 0.9311422}};

constexpr double kMainThrust_N = 25000.0;
constexpr double kHoverThrust_N = 45000.0;
constexpr double kFuelCapacity_kg = 1500.0;

struct DragCoefficients {
  double forward, backward, lateral, vertical;
};

inline void SetDrag(const VESSEL& vessel, const DragCoefficients& cw) {
  vessel.SetCW(cw.forward, cw.backward, cw.lateral, cw.vertical);
}

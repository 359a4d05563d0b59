// The helicopter's contact point sets: nose point, left main, right main.
#pragma once

#include "host/host_api.h"

constexpr VECTOR3 kGearDownPoints[3] = {
    {0, -4.25, 7.068734}, {-2, -4.25, 0.9311422}, {2, -4.25, 0.9311422}};
constexpr VECTOR3 kBellyPoints[3] = {
    {0, -3.79355, 7.068734}, {-2, -3.79355, 0.9311422}, {2, -3.79355, 0.9311422}};

#include "sim/physics/ground_contact.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vsim {

namespace {
// Three points closer to a line than this span no plane.
constexpr double kMinPlaneArea_m2 = 1e-9;
// The module's points in argument order: the nose, then the left and
// right mains.
constexpr int kMainPoints[2] = {1, 2};
}  // namespace

LandingPlane PlaneOf(const Declared& d) {
  LandingPlane plane{};
  for (int i = 0; i < 3; ++i) plane.points[i] = ToEigen(d.touchdown[i]);
  const Vec* p = plane.points;
  Vec n = (p[1] - p[0]).cross(p[2] - p[0]);
  const bool spans = n.norm() / 2 > kMinPlaneArea_m2;
  if (!spans) {
    // No plane: the lowest point on a level one.
    n = Vec::UnitY();
    plane.height = -std::min({p[0].y(), p[1].y(), p[2].y(), 0.0});
  } else {
    n.normalize();
    if (n.dot(-p[0]) < 0) n = -n;
    plane.height = n.dot(-p[0]);
  }
  plane.normal = n;
  double raw[3] = {1.0 / 3, 1.0 / 3, 1.0 / 3};
  if (spans) {
    const Vec foot = -plane.height * n;
    const double area = n.dot((p[1] - p[0]).cross(p[2] - p[0]));
    for (int i = 0; i < 3; ++i) {
      const Vec& a = p[(i + 1) % 3];
      const Vec& b = p[(i + 2) % 3];
      raw[i] = n.dot((a - foot).cross(b - foot)) / area;
      if (raw[i] < 0) {
        // The foot's distance from the edge opposite point i.
        const Vec edge = (b - a).normalized();
        const Vec off = (foot - a) - edge * edge.dot(foot - a);
        if (off.norm() > plane.outside_m) {
          plane.outside_m = off.norm();
          plane.outside_edge[0] = (i + 1) % 3;
          plane.outside_edge[1] = (i + 2) % 3;
        }
      }
    }
  }
  double total = 0;
  for (double r : raw) total += std::max(r, 0.0);
  for (int i = 0; i < 3; ++i) plane.share[i] = std::max(raw[i], 0.0) / total;
  return plane;
}

double FrictionArm(const LandingPlane& plane, double mu_lng, double mu_lat) {
  double arm = 0;
  for (int i = 0; i < 3; ++i)
    arm += plane.share[i] *
           (mu_lat * std::abs(plane.points[i].z()) + mu_lng * std::abs(plane.points[i].x()));
  return arm;
}

std::string OutsideNotice(const LandingPlane& plane) {
  if (plane.outside_edge[0] < 0) return {};
  const int a = std::min(plane.outside_edge[0], plane.outside_edge[1]);
  const int b = std::max(plane.outside_edge[0], plane.outside_edge[1]);
  std::string where;
  if (a == kMainPoints[0] && b == kMainPoints[1])
    where = plane.points[a].z() > 0 ? "behind the main points" : "ahead of the main points";
  else
    where = "beyond the edge between touchdown points " + std::to_string(a + 1) + " and " +
            std::to_string(b + 1);
  char distance[32];
  std::snprintf(distance, sizeof distance, "%.2f m", plane.outside_m);
  return std::string("the centre of mass lies outside the touchdown triangle, ") + distance + " " +
         where + "; held level by the landing plane";
}

}  // namespace vsim

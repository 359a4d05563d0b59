#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <new>
#include <optional>

#include "module/shuttle_pb.h"
#include "visual/animation_names.h"

namespace {

constexpr UINT kExterior = 0;
constexpr UINT kCockpit = 1;
constexpr std::size_t kMaxGroups = 16;

enum class Kind { Rotate, Translate };
// The airspeed needle turns one way or the other by the thrust direction at
// construction; every other component serves both.
enum class Sense { Any, Forward, Reverse };

struct ComponentRow {
  UINT ShuttlePB::*anim;
  Sense sense;
  double from, to;
  UINT mesh;
  UINT groups[kMaxGroups];
  UINT ngroups;
  Kind kind;
  VECTOR3 ref;
  VECTOR3 axis;
  double angle_deg;
  VECTOR3 shift_m;
};

constexpr ComponentRow Rot(UINT ShuttlePB::*anim, double from, double to, UINT mesh,
                           std::initializer_list<UINT> groups, VECTOR3 ref, VECTOR3 axis,
                           double angle_deg, Sense sense = Sense::Any) {
  ComponentRow row{anim, sense, from, to, mesh, {}, 0, Kind::Rotate, ref, axis, angle_deg, {}};
  for (UINT g : groups) row.groups[row.ngroups++] = g;
  return row;
}

constexpr ComponentRow Shift(UINT ShuttlePB::*anim, double from, double to, UINT mesh,
                             std::initializer_list<UINT> groups, VECTOR3 shift) {
  ComponentRow row{anim, Sense::Any, from, to, mesh, {}, 0, Kind::Translate, {}, {}, 0, shift};
  for (UINT g : groups) row.groups[row.ngroups++] = g;
  return row;
}

using P = ShuttlePB;

// Allocated per vessel; follows the steering pivot.
constexpr ComponentRow kNoseWheelRoll =
    Rot(&P::anim_wheels, 0, 1, kExterior, {59, 60, 61, 62, 73, 74}, {0.197749, -3.954622, 5.326937},
        {1, 0, 0}, 360);

// Shared by every vessel, in the order they are added.
constexpr ComponentRow kSteeringPivot = Rot(&P::anim_nose_steer, 0, 1, kExterior, {0, 0},
                                            {0.0013025, -3.946551, 5.325749}, {0, 1, 0}, 70);

constexpr ComponentRow kComponents[] = {
    Rot(&P::anim_wheels, 0, 1, kExterior, {51, 52, 53, 54, 69, 70}, {1.24516, -3.949897, 2.093865},
        {1, 0, 0}, 360),
    Rot(&P::anim_wheels, 0, 1, kExterior, {55, 56, 57, 58, 71, 72},
        {-0.721173, -3.950994, 2.091448}, {1, 0, 0}, 360),
    Rot(&P::anim_gear, 0, 0.5, kExterior, {59, 60, 61, 62, 67, 68, 73, 74},
        {-0.003111, -3.129507, 5.234954}, {1, 0, 0.6}, 93),
    Rot(&P::anim_gear, 0.2, 0.5, kExterior, {55, 56, 57, 58, 65, 66, 71, 72},
        {-0.922032, -3.132583, 2.00221}, {1, 0, 0}, 93),
    Rot(&P::anim_gear, 0.2, 0.5, kExterior, {51, 52, 53, 54, 63, 64, 69, 70},
        {1.944301, -3.128081, 2.000672}, {1, 0, 0}, 93),
    Rot(&P::anim_gear, 0.5, 1, kExterior, {16, 17}, {-0.373764, -3.334457, 5.144244}, {0, 0, 1},
        93),
    Rot(&P::anim_gear, 0.5, 1, kExterior, {14, 15}, {0.366517, -3.339874, 5.144244}, {0, 0, 1},
        -93),
    Rot(&P::anim_gear, 0.5, 1, kExterior, {0, 0}, {-1.705111, -3.3181, 1.36434}, {0, 0, 1}, 115),
    Rot(&P::anim_gear, 0.5, 1, kExterior, {0, 0}, {1.705111, -3.3181, 1.36434}, {0, 0, 1}, -115),
    Shift(&P::anim_gear, 0.4, 0.7, kExterior, {0, 0, 0}, {0, 0.2, 0}),
    Rot(&P::anim_gear, 0, 0.2, kExterior, {0, 0, 0, 0, 0, 0}, {-1.470682, -3.433169, 0.9335396},
        {0, 0, 1}, 33),
    Rot(&P::anim_gear, 0, 0.2, kExterior, {0, 0, 0, 0, 0, 0}, {1.470682, -3.433169, 0.9335396},
        {0, 0, 1}, -33),
    Rot(&P::anim_needle_main, 0, 1, kCockpit, {27}, {0.174869, 0.556082, 0.350081}, {0, 0, 1},
        -360),
    Rot(&P::anim_needle_hover, 0, 1, kCockpit, {25}, {0.793079, 0.55792, 0.350093}, {0, 0, 1},
        -360),
    Rot(&P::anim_needle_airspeed, 0, 1, kCockpit, {26}, {0.488233, 0.556082, 0.350081}, {0, 0, 1},
        -360, Sense::Forward),
    Rot(&P::anim_needle_airspeed, 0, 1, kCockpit, {26}, {0.488233, 0.556082, 0.350081}, {0, 0, 1},
        360, Sense::Reverse),
    Rot(&P::anim_needle_vspeed, 0, 1, kCockpit, {24}, {1.080244, 0.555971, 0.350081}, {0, 0, 1},
        -360),
    Rot(&P::anim_main_lever, 0, 1, kCockpit, {0, 0, 0, 0}, {1.058973, 0.57193, 0.151644}, {1, 0, 0},
        90),
    Rot(&P::anim_needle_fuel, 0, 1, kCockpit, {0}, {0.876595, 0.783935, 0.103797}, {0, 0, 1}, -360),
    Rot(&P::anim_needle_bank, 0, 1, kCockpit, {0}, {0.734457, 0.627627, 0.109816}, {0, 0, 1}, -360),
    Rot(&P::anim_compass, 0, 1, kCockpit, {0}, {0.605722, 0.625004, 0.110112}, {0, 0, 1}, -360),
    Rot(&P::anim_needle_aoa, 0, 1, kCockpit, {0}, {-0.559099, 0.324817, 1.512847}, {0, 0, 1}, 311),
    Rot(&P::anim_needle_altitude, 0, 1, kCockpit, {30}, {0.633512, 0.779587, 0.562283}, {0, 1, 0},
        -360),
    Rot(&P::anim_clock_hand1, 0, 1, kCockpit, {0}, {-0.4338541, 0.2369146, 0}, {0, 0, 1}, -360),
    Rot(&P::anim_clock_hand2, 0, 1, kCockpit, {0}, {-0.4338541, 0.2369146, 0}, {0, 0, 1}, -360),
    Rot(&P::anim_clock_hand3, 0, 1, kCockpit, {0}, {-0.4338541, 0.2369146, 0}, {0, 0, 1}, -360),
    Rot(&P::anim_rotors, 0, 1, kExterior,
        {3, 4, 5, 6, 18, 19, 20, 21, 22, 23, 24, 25, 38, 39, 40, 41},
        {0.00012483, 0.180379, 2.220898}, {0, 1, 0}, -360),
    Rot(&P::anim_rotors, 0, 1, kExterior, {13}, {0.453808, -0.350053, -5.561238}, {1, 0, 0}, 360),
};

struct AnimationRow {
  animation_names::Index index;
  UINT ShuttlePB::*anim;
  double initial_state;
};

namespace A = animation_names;

// Creation order, the order of the names' table.
constexpr AnimationRow kAnimations[] = {
    {A::kNoseSteer, &P::anim_nose_steer, 0.5},
    {A::kWheels, &P::anim_wheels, 0},
    {A::kGear, &P::anim_gear, 0},
    {A::kNeedleMain, &P::anim_needle_main, 0},
    {A::kNeedleHover, &P::anim_needle_hover, 0},
    {A::kNeedleAirspeed, &P::anim_needle_airspeed, 0},
    {A::kNeedleVspeed, &P::anim_needle_vspeed, 0},
    {A::kMainLever, &P::anim_main_lever, 0},
    {A::kNeedleFuel, &P::anim_needle_fuel, 0},
    {A::kNeedleBank, &P::anim_needle_bank, 0.5},
    {A::kCompass, &P::anim_compass, 0},
    {A::kNeedleAoa, &P::anim_needle_aoa, 0},
    {A::kNeedleAltitude, &P::anim_needle_altitude, 0},
    {A::kClockHand1, &P::anim_clock_hand1, 0},
    {A::kClockHand2, &P::anim_clock_hand2, 0},
    {A::kClockHand3, &P::anim_clock_hand3, 0},
    {A::kRotors, &P::anim_rotors, 0},
};

constexpr bool InNameOrder() {
  for (std::size_t i = 0; i < std::size(kAnimations); ++i)
    if (kAnimations[i].index != i) return false;
  return std::size(kAnimations) == A::kCount;
}
static_assert(InNameOrder(), "the animations are made in the order of their names' table");

float AngleRad(const ComponentRow& row) { return static_cast<float>(row.angle_deg * RAD); }

// A component object with its own copy of the group list, which the host
// reads through a pointer for as long as the component is registered.
class Component {
public:
  explicit Component(const ComponentRow& row) {
    for (UINT i = 0; i < row.ngroups; ++i) groups_[i] = row.groups[i];
    if (row.kind == Kind::Rotate)
      rotate_.emplace(row.mesh, groups_, row.ngroups, row.ref, row.axis, AngleRad(row));
    else
      translate_.emplace(row.mesh, groups_, row.ngroups, row.shift_m);
  }
  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;
  MGROUP_TRANSFORM* transform() {
    if (rotate_) return &*rotate_;
    return &*translate_;
  }

private:
  UINT groups_[kMaxGroups] = {};
  std::optional<MGROUP_ROTATE> rotate_;
  std::optional<MGROUP_TRANSLATE> translate_;
};

// Built the first time any vessel reaches them; never rebuilt while the
// module stays loaded.
std::optional<Component> shared_pivot;
std::optional<Component> shared_components[std::size(kComponents)];

MGROUP_TRANSFORM* Shared(std::optional<Component>& slot, const ComponentRow& row) {
  if (!slot) slot.emplace(row);
  return slot->transform();
}

bool Selected(const ComponentRow& row, double main_reverse) {
  switch (row.sense) {
    case Sense::Forward: return main_reverse == 0.0;
    case Sense::Reverse: return main_reverse == 1.0;
    case Sense::Any: break;
  }
  return true;
}

}  // namespace

void ShuttlePB::DefineAnimations() {
  const ComponentRow& roll = kNoseWheelRoll;
  // The host only reads a component's group list.
  nose_wheel_roll.reset(new (std::nothrow)
                            MGROUP_ROTATE(roll.mesh, const_cast<UINT*>(roll.groups), roll.ngroups,
                                          roll.ref, roll.axis, AngleRad(roll)));
  if (!nose_wheel_roll) return;

  for (const AnimationRow& animation : kAnimations) {
    this->*animation.anim = CreateAnimation(animation.initial_state);
    // The pivot is added once the wheel animation exists, so that the
    // rolling nose wheel can take it as its parent.
    if (animation.anim == &P::anim_nose_steer) continue;
    if (animation.anim == &P::anim_wheels) {
      ANIMATIONCOMPONENT_HANDLE pivot =
          AddAnimationComponent(anim_nose_steer, kSteeringPivot.from, kSteeringPivot.to,
                                Shared(shared_pivot, kSteeringPivot));
      AddAnimationComponent(anim_wheels, roll.from, roll.to, nose_wheel_roll.get(), pivot);
    }
    for (std::size_t i = 0; i < std::size(kComponents); ++i) {
      const ComponentRow& row = kComponents[i];
      if (row.anim != animation.anim || !Selected(row, state.main_reverse)) continue;
      AddAnimationComponent(this->*row.anim, row.from, row.to, Shared(shared_components[i], row));
    }
  }
}

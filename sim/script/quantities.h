// The one registry of the quantities a flight script can read and set:
// name, kind, unit, how to read it and how to set it. The parser checks
// names against it, the runner reads and sets through it.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

#include "sim/core/host.h"
#include "sim/physics/physics.h"

namespace vsim {

struct Value {
  bool is_text = false;
  double number = 0;
  std::string text;
};

// The vessel lacks what the quantity reads (an animation it never made).
class QuantityError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

enum class QuantityKind { kNumber, kText };

struct QuantityContext {
  Host& host;
  VesselRecord& vessel;
  Physics* physics;  // null with physics off
};

using QuantityReader = Value (*)(const QuantityContext& context, int index);
using QuantitySetter = void (*)(const QuantityContext& context, const double* values);

struct QuantityDef {
  const char* pattern;  // "#" stands for an index: "anim.#", "thruster.#.dir.x"
  QuantityKind kind;
  const char* unit;
  QuantityReader read;  // null: cannot be read
  QuantitySetter set;   // null: cannot be set
  int set_values;       // numbers "set" takes
  bool set_with_physics;
  int min_index;
  int max_index;
  double set_limit = 0;  // the largest magnitude "set" takes
};

struct QuantityMatch {
  const QuantityDef* def = nullptr;
  int index = 0;
};

// The row a name matches, with its index; def is null for no row.
QuantityMatch FindQuantity(const std::string& name);

struct QuantityTable {
  const QuantityDef* rows;
  std::size_t count;
  const QuantityDef* begin() const { return rows; }
  const QuantityDef* end() const { return rows + count; }
};
QuantityTable Quantities();

}  // namespace vsim

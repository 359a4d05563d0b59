// Host handles as the substitute host issues them: the owner's serial, the
// kind of object and its index, packed into the pointer-sized value the
// module stores. The host checks a handle by decoding it, never by
// following it, so a handle from another vessel or from nowhere is caught
// without touching memory it does not own.
#pragma once

#include <cstdint>

namespace vsim {

static_assert(sizeof(void*) == 8, "host handles pack into 64-bit pointers");

enum class HandleKind : std::uint8_t {
  kNone = 0,
  kVessel,
  kPropellant,
  kThruster,
  kGroup,
  kExhaust,
  kAirfoil,
  kComponent,
  kMesh,
  kLast = kMesh,
};

constexpr const char* kHandleKindNames[] = {"none",    "vessel",  "propellant", "thruster", "group",
                                            "exhaust", "airfoil", "component",  "mesh"};

inline const char* HandleKindName(HandleKind kind) {
  return kHandleKindNames[static_cast<std::uint8_t>(kind)];
}

struct HandleCode {
  std::uint32_t owner = 0;  // serial of the vessel (or host, for meshes)
  HandleKind kind = HandleKind::kNone;
  std::uint32_t index = 0;
};

constexpr std::uint32_t kMaxHandleIndex = (1u << 24) - 2;
// Owners are numbered 1..kMaxOwner. The top byte holds a tag that no
// user-space pointer has, so no address the module made decodes as a handle.
constexpr std::uint32_t kMaxOwner = (1u << 24) - 1;
constexpr std::uint64_t kHandleTag = 0xA5;

inline void* EncodeHandle(std::uint32_t owner, HandleKind kind, std::uint32_t index) {
  const std::uint64_t bits = (kHandleTag << 56) | (std::uint64_t{owner & kMaxOwner} << 32) |
                             (std::uint64_t{static_cast<std::uint8_t>(kind)} << 24) |
                             (std::uint64_t{index} + 1);
  return reinterpret_cast<void*>(static_cast<std::uintptr_t>(bits));
}

// A value the host did not make decodes to kind kNone.
inline HandleCode DecodeHandle(const void* handle) {
  const auto bits = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
  const auto kind = static_cast<std::uint8_t>((bits >> 24) & 0xFF);
  const auto low = static_cast<std::uint32_t>(bits & 0xFFFFFF);
  const auto owner = static_cast<std::uint32_t>((bits >> 32) & kMaxOwner);
  if ((bits >> 56) != kHandleTag || owner == 0 || low == 0 || kind == 0 ||
      kind > static_cast<std::uint8_t>(HandleKind::kLast))
    return {};
  return {owner, static_cast<HandleKind>(kind), low - 1};
}

// The handle's bits above its index: equal for every handle of one kind
// that one owner was issued.
constexpr std::uint64_t HandlePrefix(std::uint32_t owner, HandleKind kind) {
  return (kHandleTag << 32) | (std::uint64_t{owner & kMaxOwner} << 8) |
         std::uint64_t{static_cast<std::uint8_t>(kind)};
}

// The index of a handle with this prefix, or a value no store reaches
// (~0u) for any other value. Cheaper than decoding, for the hot path.
inline std::uint32_t IndexWithPrefix(const void* handle, std::uint64_t prefix) {
  const auto bits = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
  if ((bits >> 24) != prefix) return ~0u;
  return static_cast<std::uint32_t>(bits & 0xFFFFFF) - 1;
}

}  // namespace vsim

#include "sim/functions/describe.h"

#include <vector>

namespace vsim::functions {

namespace {

std::string Join(const std::vector<std::string>& parts) {
  std::string out;
  for (std::size_t i = 0; i < parts.size(); ++i) out += (i == 0 ? "" : ", ") + parts[i];
  return out;
}

std::string PointedVector(const VECTOR3* p) { return p == nullptr ? "null" : FormatVector(*p); }

}  // namespace

std::string Text(const PARTICLESTREAMSPEC& s, Host& host, const VesselRecord* v) {
  return "{flags=" + std::to_string(s.flags) + ", srcsize=" + FormatNumber(s.srcsize) +
         ", srcrate=" + FormatNumber(s.srcrate) + ", v0=" + FormatNumber(s.v0) +
         ", srcspread=" + FormatNumber(s.srcspread) + ", lifetime=" + FormatNumber(s.lifetime) +
         ", growthrate=" + FormatNumber(s.growthrate) +
         ", atmslowdown=" + FormatNumber(s.atmslowdown) + ", ltype=" + std::to_string(s.ltype) +
         ", levelmap=" + std::to_string(s.levelmap) + ", lmin=" + FormatNumber(s.lmin) +
         ", lmax=" + FormatNumber(s.lmax) + ", atmsmap=" + std::to_string(s.atmsmap) +
         ", amin=" + FormatNumber(s.amin) + ", amax=" + FormatNumber(s.amax) +
         ", tex=" + HandleText(host, v, "texture", s.tex) + "}";
}

std::string Text(const BEACONLIGHTSPEC& b) {
  return "{shape=" + std::to_string(b.shape) + ", pos=" + PointedVector(b.pos) +
         ", col=" + PointedVector(b.col) + ", size=" + FormatNumber(b.size) +
         ", falloff=" + FormatNumber(b.falloff) + ", period=" + FormatNumber(b.period) +
         ", duration=" + FormatNumber(b.duration) + ", tofs=" + FormatNumber(b.tofs) +
         ", active=" + (b.active ? "true" : "false") + "}";
}

std::string Text(const MGROUP_TRANSFORM* t) {
  if (t == nullptr) return "null";
  std::vector<std::string> groups;
  for (UINT i = 0; t->grp != nullptr && i < t->ngrp; ++i)
    groups.push_back(std::to_string(t->grp[i]));
  std::string text = "{mesh=" + std::to_string(t->mesh) + ", grp=[" + Join(groups) + "]";
  if (t->Type() == MGROUP_TRANSFORM::ROTATE) {
    const auto* r = static_cast<const MGROUP_ROTATE*>(t);
    text += ", ref=" + FormatVector(r->ref) + ", axis=" + FormatVector(r->axis) +
            ", angle=" + FormatNumber(r->angle);
  } else if (t->Type() == MGROUP_TRANSFORM::TRANSLATE) {
    const auto* s = static_cast<const MGROUP_TRANSLATE*>(t);
    text += ", shift=" + FormatVector(s->shift);
  }
  return text + "}";
}

std::string Text(const VCHUDSPEC& hud) {
  return "{nmesh=" + std::to_string(hud.nmesh) + ", ngroup=" + std::to_string(hud.ngroup) +
         ", hudcnt=" + FormatVector(hud.hudcnt) + ", size=" + FormatNumber(hud.size) + "}";
}

std::string Text(const VCMFDSPEC& mfd) {
  return "{nmesh=" + std::to_string(mfd.nmesh) + ", ngroup=" + std::to_string(mfd.ngroup) + "}";
}

}  // namespace vsim::functions

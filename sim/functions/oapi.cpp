// The global host functions a module calls. They act for the vessel whose
// callback is running, if any.
#include <sstream>

#include "sim/functions/describe.h"
#include "sim/functions/perform.h"

using vsim::functions::AsHandle;
using vsim::functions::AsIs;
using vsim::functions::Caller;
using vsim::functions::FullGlobal;
using vsim::functions::HandleArg;
using vsim::functions::HotGlobal;
using vsim::functions::Lazy;
using vsim::functions::Nothing;
using vsim::functions::Present;
using vsim::functions::Site;
namespace op = vsim::op;

MESHHANDLE oapiLoadMeshGlobal(const char* fname) {
  const auto effect = [=](Site s, auto&) VSIM_EFFECT {
    return s.host().answers().Issue(s.host().LoadMesh(fname));
  };
  return FullGlobal(op::kLoadMeshGlobal, Caller::kCurrentVessel, nullptr, effect, AsHandle{"mesh"},
                    fname);
}

// The world-wide queries of every step, and the induced drag the airfoils
// ask for, take the fast path when nothing observes the host.
double oapiGetInducedDrag(double cl, double A, double e) {
  const auto effect = [=](Site, auto&) VSIM_EFFECT { return cl * cl / (PI * A * e); };
  return HotGlobal(op::kGetInducedDrag, 0.0, effect, AsIs{}, cl, A, e);
}

double oapiGetTimeAcceleration() {
  const auto effect = [](Site s, auto& a) VSIM_EFFECT { return a.TimeAcceleration(s.host()); };
  return HotGlobal(op::kGetTimeAcceleration, 1.0, effect, AsIs{});
}

void oapiSetTimeAcceleration(double warp) {
  const auto effect = [=](Site s, auto&) VSIM_EFFECT {
    if (!vsim::functions::Finite(s, warp)) return;
    if (!(warp > 0))
      return s.Fault("argument 1 is " + vsim::FormatNumber(warp) + ", not a positive factor");
    s.host().answers().RequestTimeAcceleration(s.host(), warp);
  };
  FullGlobal(op::kSetTimeAcceleration, Caller::kCurrentVessel, Nothing{}, effect, AsIs{}, warp);
}

bool oapiGetFocusAirspeedVector(VECTOR3* speedvec) {
  const auto effect = [=](Site s, auto& a) VSIM_EFFECT {
    return Present(s, speedvec, "vector") && a.FocusAirspeedVector(s.host(), *speedvec);
  };
  const auto shown = [=](bool known) {
    return Lazy([=] { return known ? vsim::FormatVector(*speedvec) : "false"; });
  };
  return HotGlobal(op::kGetFocusAirspeedVector, false, effect, shown);
}

bool oapiGetFocusHeading(double* heading) {
  const auto effect = [=](Site s, auto& a) VSIM_EFFECT {
    return Present(s, heading, "heading") && a.FocusHeading(s.host(), *heading);
  };
  const auto shown = [=](bool known) {
    return Lazy([=] { return known ? vsim::FormatNumber(*heading) : "false"; });
  };
  return HotGlobal(op::kGetFocusHeading, false, effect, shown);
}

bool oapiCameraInternal() {
  const auto effect = [](Site s, auto& a) VSIM_EFFECT { return a.CameraInternal(s.host()); };
  return HotGlobal(op::kCameraInternal, false, effect, AsIs{});
}

char* oapiDebugString() {
  static char no_host_line[OAPI_DEBUG_STRING_SIZE];
  const auto effect = [](Site s, auto&) VSIM_EFFECT { return s.host().DebugBuffer(); };
  return FullGlobal(op::kDebugString, Caller::kCurrentVessel, no_host_line, effect,
                    vsim::functions::NoResult{});
}

void oapiVCRegisterHUD(const VCHUDSPEC* hud) {
  const auto effect = [=](Site s, auto&) VSIM_EFFECT {
    if (Present(s, hud, "head-up display") && s.vessel != nullptr)
      s.vessel->declared.cockpit.hud = *hud;
  };
  FullGlobal(op::kVCRegisterHUD, Caller::kCurrentVessel, Nothing{}, effect, AsIs{},
             Lazy([=] { return hud == nullptr ? "null" : vsim::functions::Text(*hud); }));
}

void oapiVCRegisterMFD(int mfd, const VCMFDSPEC* display) {
  const auto effect = [=](Site s, auto&) VSIM_EFFECT {
    if (Present(s, display, "display") && s.vessel != nullptr)
      s.vessel->declared.cockpit.mfds[mfd] = *display;
  };
  FullGlobal(op::kVCRegisterMFD, Caller::kCurrentVessel, Nothing{}, effect, AsIs{}, mfd,
             Lazy([=] { return display == nullptr ? "null" : vsim::functions::Text(*display); }));
}

void oapiVCRegisterArea(int id, int draw_event, int mouse_event) {
  const auto effect = [=](Site s, auto&) VSIM_EFFECT {
    if (s.vessel == nullptr) return;
    vsim::ClickArea area;
    area.id = id;
    area.redraw = draw_event;
    area.mouse_events = mouse_event;
    s.vessel->declared.cockpit.areas.push_back(area);
  };
  FullGlobal(op::kVCRegisterArea, Caller::kCurrentVessel, Nothing{}, effect, AsIs{}, id, draw_event,
             mouse_event);
}

void oapiVCSetAreaClickmode_Spherical(int id, const VECTOR3& cnt, double rad) {
  const auto effect = [&](Site s, auto&) VSIM_EFFECT {
    if (s.vessel == nullptr || !vsim::functions::Finite(s, 0.0, cnt, rad)) return;
    for (vsim::ClickArea& area : s.vessel->declared.cockpit.areas)
      if (area.id == id) {
        area.centre = cnt;
        area.radius = rad;
      }
  };
  FullGlobal(op::kVCSetAreaClickmodeSpherical, Caller::kCurrentVessel, Nothing{}, effect, AsIs{},
             id, cnt, rad);
}

void InitLib(HINSTANCE hModule) {
  const auto effect = [=](Site s, auto&) VSIM_EFFECT { s.host().NoteModuleInstance(hModule); };
  FullGlobal(op::kInitLib, Caller::kWorld, Nothing{}, effect, AsIs{},
             HandleArg{"instance", hModule});
}

namespace {

// Encodes "Mon DD YYYY" as YYYYMMDD; 0 for text that is not such a date.
int DateNumber(const char* date) {
  if (date == nullptr) return 0;
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::istringstream in(date);
  std::string month;
  int day = 0, year = 0;
  if (!(in >> month >> day >> year)) return 0;
  for (int m = 0; m < 12; ++m)
    if (month == kMonths[m]) return year * 10000 + (m + 1) * 100 + day;
  return 0;
}

}  // namespace

int Date2Int(const char* date) {
  const auto effect = [=](Site, auto&) VSIM_EFFECT { return DateNumber(date); };
  return FullGlobal(op::kDate2Int, Caller::kWorld, 0, effect, AsIs{}, date);
}

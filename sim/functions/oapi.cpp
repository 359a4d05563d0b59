// The global host functions a module calls. They act for the vessel whose
// callback is running, if any.
#include <sstream>

#include "sim/functions/checks.h"
#include "sim/functions/describe.h"
#include "sim/functions/record.h"

using vsim::Host;
using vsim::VesselRecord;
using vsim::functions::HandleArg;
using vsim::functions::Lazy;
using vsim::functions::Present;
using vsim::functions::Record;
using vsim::functions::Returns;
using vsim::functions::Running;

#define HOST_OR_RETURN(Name, ...)          \
  Host* host = Running(Name);              \
  if (host == nullptr) return __VA_ARGS__; \
  VesselRecord* current = host->Current(); \
  static_cast<void>(current)

MESHHANDLE oapiLoadMeshGlobal(const char* fname) {
  HOST_OR_RETURN("oapiLoadMeshGlobal", nullptr);
  MESHHANDLE mesh = host->answers().Issue(host->LoadMesh(fname));
  Record(*host, current, "oapiLoadMeshGlobal", fname, Returns(HandleArg{"mesh", mesh}));
  return mesh;
}

namespace {

double InducedDrag(double cl, double A, double e) { return cl * cl / (PI * A * e); }

[[gnu::noinline]] double FullGetInducedDrag(double cl, double A, double e) {
  HOST_OR_RETURN("oapiGetInducedDrag", 0.0);
  const double drag = InducedDrag(cl, A, e);
  Record(*host, current, "oapiGetInducedDrag", cl, A, e, Returns(drag));
  return drag;
}

[[gnu::noinline]] double FullGetTimeAcceleration() {
  HOST_OR_RETURN("oapiGetTimeAcceleration", 1.0);
  const double factor = host->Ask([&](auto& a) { return a.TimeAcceleration(*host); });
  Record(*host, current, "oapiGetTimeAcceleration", Returns(factor));
  return factor;
}

[[gnu::noinline]] bool FullGetFocusAirspeedVector(VECTOR3* speedvec) {
  HOST_OR_RETURN("oapiGetFocusAirspeedVector", false);
  if (!Present(*host, current, speedvec, "vector", "oapiGetFocusAirspeedVector")) return false;
  const bool known = host->Ask([&](auto& a) { return a.FocusAirspeedVector(*host, *speedvec); });
  Record(*host, current, "oapiGetFocusAirspeedVector",
         Returns(Lazy([&] { return known ? vsim::FormatVector(*speedvec) : "false"; })));
  return known;
}

[[gnu::noinline]] bool FullGetFocusHeading(double* heading) {
  HOST_OR_RETURN("oapiGetFocusHeading", false);
  if (!Present(*host, current, heading, "heading", "oapiGetFocusHeading")) return false;
  const bool known = host->Ask([&](auto& a) { return a.FocusHeading(*host, *heading); });
  Record(*host, current, "oapiGetFocusHeading",
         Returns(Lazy([&] { return known ? vsim::FormatNumber(*heading) : "false"; })));
  return known;
}

[[gnu::noinline]] bool FullCameraInternal() {
  HOST_OR_RETURN("oapiCameraInternal", false);
  const bool internal = host->Ask([&](auto& a) { return a.CameraInternal(*host); });
  Record(*host, current, "oapiCameraInternal", Returns(internal));
  return internal;
}

}  // namespace

// The world-wide queries of every step, and the induced drag the airfoils
// ask for, take the fast path when nothing observes the host.
double oapiGetInducedDrag(double cl, double A, double e) {
  if (vsim::functions::FastHost() != nullptr) return InducedDrag(cl, A, e);
  return FullGetInducedDrag(cl, A, e);
}

double oapiGetTimeAcceleration() {
  if (Host* host = vsim::functions::FastHost())
    return vsim::functions::core_answers.TimeAcceleration(*host);
  return FullGetTimeAcceleration();
}

void oapiSetTimeAcceleration(double warp) {
  HOST_OR_RETURN("oapiSetTimeAcceleration");
  Record(*host, current, "oapiSetTimeAcceleration", warp);
  if (!vsim::functions::Finite(*host, current, "oapiSetTimeAcceleration", warp)) return;
  if (!(warp > 0)) {
    host->Fault(current, "oapiSetTimeAcceleration",
                "argument 1 is " + vsim::FormatNumber(warp) + ", not a positive factor");
    return;
  }
  host->answers().RequestTimeAcceleration(*host, warp);
}

bool oapiGetFocusAirspeedVector(VECTOR3* speedvec) {
  Host* host = vsim::functions::FastHost();
  if (host != nullptr && speedvec != nullptr)
    return vsim::functions::core_answers.FocusAirspeedVector(*host, *speedvec);
  return FullGetFocusAirspeedVector(speedvec);
}

bool oapiGetFocusHeading(double* heading) {
  Host* host = vsim::functions::FastHost();
  if (host != nullptr && heading != nullptr)
    return vsim::functions::core_answers.FocusHeading(*host, *heading);
  return FullGetFocusHeading(heading);
}

bool oapiCameraInternal() {
  if (Host* host = vsim::functions::FastHost())
    return vsim::functions::core_answers.CameraInternal(*host);
  return FullCameraInternal();
}

char* oapiDebugString() {
  static char no_host_line[OAPI_DEBUG_STRING_SIZE];
  HOST_OR_RETURN("oapiDebugString", no_host_line);
  Record(*host, current, "oapiDebugString");
  return host->DebugBuffer();
}

void oapiVCRegisterHUD(const VCHUDSPEC* hud) {
  HOST_OR_RETURN("oapiVCRegisterHUD");
  if (!Present(*host, current, hud, "head-up display", "oapiVCRegisterHUD")) return;
  Record(*host, current, "oapiVCRegisterHUD", Lazy([&] { return vsim::functions::Text(*hud); }));
  if (current != nullptr) current->declared.cockpit.hud = *hud;
}

void oapiVCRegisterMFD(int mfd, const VCMFDSPEC* display) {
  HOST_OR_RETURN("oapiVCRegisterMFD");
  if (!Present(*host, current, display, "display", "oapiVCRegisterMFD")) return;
  Record(*host, current, "oapiVCRegisterMFD", mfd,
         Lazy([&] { return vsim::functions::Text(*display); }));
  if (current != nullptr) current->declared.cockpit.mfds[mfd] = *display;
}

void oapiVCRegisterArea(int id, int draw_event, int mouse_event) {
  HOST_OR_RETURN("oapiVCRegisterArea");
  Record(*host, current, "oapiVCRegisterArea", id, draw_event, mouse_event);
  if (current == nullptr) return;
  vsim::ClickArea area;
  area.id = id;
  area.redraw = draw_event;
  area.mouse_events = mouse_event;
  current->declared.cockpit.areas.push_back(area);
}

void oapiVCSetAreaClickmode_Spherical(int id, const VECTOR3& cnt, double rad) {
  HOST_OR_RETURN("oapiVCSetAreaClickmode_Spherical");
  Record(*host, current, "oapiVCSetAreaClickmode_Spherical", id, cnt, rad);
  if (current == nullptr ||
      !vsim::functions::Finite(*host, current, "oapiVCSetAreaClickmode_Spherical", 0.0, cnt, rad))
    return;
  for (vsim::ClickArea& area : current->declared.cockpit.areas)
    if (area.id == id) {
      area.centre = cnt;
      area.radius = rad;
    }
}

void InitLib(HINSTANCE hModule) {
  HOST_OR_RETURN("InitLib");
  Record(*host, nullptr, "InitLib", HandleArg{"instance", hModule});
  host->NoteModuleInstance(hModule);
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
  HOST_OR_RETURN("Date2Int", 0);
  const int number = DateNumber(date);
  Record(*host, nullptr, "Date2Int", date, Returns(number));
  return number;
}

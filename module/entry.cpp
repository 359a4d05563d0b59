#include <new>

#include "module/export.h"
#include "module/os_layer.h"
#include "module/shuttle_pb.h"

namespace {

constexpr char kModuleDate[] = "Nov 28 2010";
constexpr char kInterfaceDate[] = "Aug 30 2010";

int version_cache = 0;

using ExitHook = void (*)(HINSTANCE);
ExitHook exit_hook = nullptr;

ExitHook FindExitHook(HINSTANCE self) {
  os::ProcAddress hook = os::FindOwnExport(self, "ExitModule");
  if (hook == nullptr) hook = os::FindOwnExport(self, "opcDLLExit");
  return reinterpret_cast<ExitHook>(hook);
}

}  // namespace

void OnProcessAttach(HINSTANCE self) {
  InitLib(self);
  exit_hook = FindExitHook(self);
}

void OnProcessDetach(HINSTANCE self) {
  if (exit_hook != nullptr) exit_hook(self);
}

MODULE_EXPORT VESSEL* ovcInit(OBJHANDLE hvessel, int flightmodel) noexcept {
  auto* vessel = new (std::nothrow) ShuttlePB(hvessel, flightmodel);
  if (vessel == nullptr) return nullptr;
  if (!vessel->Constructed()) {
    delete vessel;
    return nullptr;
  }
  return vessel;
}

MODULE_EXPORT void ovcExit(VESSEL* vessel) noexcept {
  if (vessel == nullptr) return;
  delete static_cast<ShuttlePB*>(vessel);
}

MODULE_EXPORT const char* ModuleDate() noexcept { return kModuleDate; }

MODULE_EXPORT int GetModuleVersion() noexcept {
  if (version_cache == 0) version_cache = Date2Int(kInterfaceDate);
  return version_cache;
}

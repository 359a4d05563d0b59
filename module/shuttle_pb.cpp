#include "module/shuttle_pb.h"

namespace {
constexpr char kExteriorMesh[] = "Halvex\\Corvane";
constexpr char kCockpitMesh[] = "Halvex\\Corvane-Cpit";
}  // namespace

ShuttlePB::ShuttlePB(OBJHANDLE hVessel, int flightmodel) : VESSEL2(hVessel, flightmodel) {
  state.mesh_exterior = oapiLoadMeshGlobal(kExteriorMesh);
  state.mesh_cockpit = oapiLoadMeshGlobal(kCockpitMesh);
  DefineAnimations();
}

ShuttlePB::~ShuttlePB() = default;

void ShuttlePB::clbkPostCreation() { ConnectSound(); }

// The operations a module calls in the host and in the sound library, each
// named here once. The host's functions record and fault under these names,
// and a script's "expect call" is checked against the same list. Constants
// of each file that includes them (not inline variables, which a shared
// library reads through its symbol table): a name is a constant address.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vsim {

// Its name's length is counted once, when the constant is made: a trace
// writes the name in every line.
struct Operation {
  constexpr explicit Operation(const char* operation_name)
      : name(operation_name), length(std::char_traits<char>::length(operation_name)) {}
  std::string_view Name() const { return {name, length}; }

  const char* name;
  std::size_t length;
};

namespace op {

// The vessel interface.
constexpr Operation kGetHandle{"GetHandle"};
constexpr Operation kGetFlightModel{"GetFlightModel"};
constexpr Operation kSetSize{"SetSize"};
constexpr Operation kSetEmptyMass{"SetEmptyMass"};
constexpr Operation kSetPMI{"SetPMI"};
constexpr Operation kSetCrossSections{"SetCrossSections"};
constexpr Operation kSetRotDrag{"SetRotDrag"};
constexpr Operation kSetCW{"SetCW"};
constexpr Operation kSetWingAspect{"SetWingAspect"};
constexpr Operation kSetWingEffectiveness{"SetWingEffectiveness"};
constexpr Operation kSetPitchMomentScale{"SetPitchMomentScale"};
constexpr Operation kSetBankMomentScale{"SetBankMomentScale"};
constexpr Operation kSetTrimScale{"SetTrimScale"};
constexpr Operation kSetTouchdownPoints{"SetTouchdownPoints"};
constexpr Operation kSetSurfaceFrictionCoeff{"SetSurfaceFrictionCoeff"};
constexpr Operation kCreatePropellantResource{"CreatePropellantResource"};
constexpr Operation kCreateThruster{"CreateThruster"};
constexpr Operation kCreateThrusterGroup{"CreateThrusterGroup"};
constexpr Operation kAddExhaustStream{"AddExhaustStream"};
constexpr Operation kAddBeacon{"AddBeacon"};
constexpr Operation kCreateAirfoil{"CreateAirfoil"};
constexpr Operation kCreateVariableDragElement{"CreateVariableDragElement"};
constexpr Operation kAddMesh{"AddMesh"};
constexpr Operation kSetMeshVisibilityMode{"SetMeshVisibilityMode"};
constexpr Operation kSetCameraOffset{"SetCameraOffset"};
constexpr Operation kSetCameraDefaultDirection{"SetCameraDefaultDirection"};
constexpr Operation kSetCameraRotationRange{"SetCameraRotationRange"};
constexpr Operation kCreateAnimation{"CreateAnimation"};
constexpr Operation kAddAnimationComponent{"AddAnimationComponent"};
constexpr Operation kSetAnimation{"SetAnimation"};
constexpr Operation kGetAltitude{"GetAltitude"};
constexpr Operation kGetAirspeed{"GetAirspeed"};
constexpr Operation kGetAOA{"GetAOA"};
constexpr Operation kGetBank{"GetBank"};
constexpr Operation kGroundContact{"GroundContact"};
constexpr Operation kGetControlSurfaceLevel{"GetControlSurfaceLevel"};
constexpr Operation kGetThrusterLevel{"GetThrusterLevel"};
constexpr Operation kSetThrusterLevel{"SetThrusterLevel"};
constexpr Operation kSetThrusterDir{"SetThrusterDir"};
constexpr Operation kSetThrusterMax0{"SetThrusterMax0"};
constexpr Operation kGetFuelMass{"GetFuelMass"};
constexpr Operation kSetFuelMass{"SetFuelMass"};
constexpr Operation kAddForce{"AddForce"};
// The global functions.
constexpr Operation kLoadMeshGlobal{"oapiLoadMeshGlobal"};
constexpr Operation kGetInducedDrag{"oapiGetInducedDrag"};
constexpr Operation kGetTimeAcceleration{"oapiGetTimeAcceleration"};
constexpr Operation kSetTimeAcceleration{"oapiSetTimeAcceleration"};
constexpr Operation kGetFocusAirspeedVector{"oapiGetFocusAirspeedVector"};
constexpr Operation kGetFocusHeading{"oapiGetFocusHeading"};
constexpr Operation kCameraInternal{"oapiCameraInternal"};
constexpr Operation kDebugString{"oapiDebugString"};
constexpr Operation kVCRegisterHUD{"oapiVCRegisterHUD"};
constexpr Operation kVCRegisterMFD{"oapiVCRegisterMFD"};
constexpr Operation kVCRegisterArea{"oapiVCRegisterArea"};
constexpr Operation kVCSetAreaClickmodeSpherical{"oapiVCSetAreaClickmode_Spherical"};
constexpr Operation kInitLib{"InitLib"};
constexpr Operation kDate2Int{"Date2Int"};
// The sound library.
constexpr Operation kLoadVesselWave{"LoadVesselWaveOBSound3"};
constexpr Operation kPlayVesselWave{"PlayVesselWaveOBSound3"};
constexpr Operation kPlayVesselExclusiveWave{"PlayVesselExclusiveWaveOBSound3"};
constexpr Operation kStopVesselWave{"StopVesselWave3"};
constexpr Operation kIsPlayingVesselWave{"IsPlayingVesselWave3"};
constexpr Operation kIsPlayingRadioVesselWave{"IsPlayingRadioVesselWave"};
constexpr Operation kSoundOption{"SoundOption3"};
constexpr Operation kSetFrequency{"SetFrequency"};
constexpr Operation kGetVesselSoundID{"GetVesselSoundID3"};
constexpr Operation kReplaceStockSound{"ReplaceStockOBSound3"};

// The host's own lines in the journal: a debug line the module wrote, a fault.
constexpr Operation kDebugLine{"debug"};
constexpr Operation kFaultLine{"fault"};

}  // namespace op

// Every operation a module can call, in the order above.
constexpr Operation kModuleOperations[] = {op::kGetHandle,
                                           op::kGetFlightModel,
                                           op::kSetSize,
                                           op::kSetEmptyMass,
                                           op::kSetPMI,
                                           op::kSetCrossSections,
                                           op::kSetRotDrag,
                                           op::kSetCW,
                                           op::kSetWingAspect,
                                           op::kSetWingEffectiveness,
                                           op::kSetPitchMomentScale,
                                           op::kSetBankMomentScale,
                                           op::kSetTrimScale,
                                           op::kSetTouchdownPoints,
                                           op::kSetSurfaceFrictionCoeff,
                                           op::kCreatePropellantResource,
                                           op::kCreateThruster,
                                           op::kCreateThrusterGroup,
                                           op::kAddExhaustStream,
                                           op::kAddBeacon,
                                           op::kCreateAirfoil,
                                           op::kCreateVariableDragElement,
                                           op::kAddMesh,
                                           op::kSetMeshVisibilityMode,
                                           op::kSetCameraOffset,
                                           op::kSetCameraDefaultDirection,
                                           op::kSetCameraRotationRange,
                                           op::kCreateAnimation,
                                           op::kAddAnimationComponent,
                                           op::kSetAnimation,
                                           op::kGetAltitude,
                                           op::kGetAirspeed,
                                           op::kGetAOA,
                                           op::kGetBank,
                                           op::kGroundContact,
                                           op::kGetControlSurfaceLevel,
                                           op::kGetThrusterLevel,
                                           op::kSetThrusterLevel,
                                           op::kSetThrusterDir,
                                           op::kSetThrusterMax0,
                                           op::kGetFuelMass,
                                           op::kSetFuelMass,
                                           op::kAddForce,
                                           op::kLoadMeshGlobal,
                                           op::kGetInducedDrag,
                                           op::kGetTimeAcceleration,
                                           op::kSetTimeAcceleration,
                                           op::kGetFocusAirspeedVector,
                                           op::kGetFocusHeading,
                                           op::kCameraInternal,
                                           op::kDebugString,
                                           op::kVCRegisterHUD,
                                           op::kVCRegisterMFD,
                                           op::kVCRegisterArea,
                                           op::kVCSetAreaClickmodeSpherical,
                                           op::kInitLib,
                                           op::kDate2Int,
                                           op::kLoadVesselWave,
                                           op::kPlayVesselWave,
                                           op::kPlayVesselExclusiveWave,
                                           op::kStopVesselWave,
                                           op::kIsPlayingVesselWave,
                                           op::kIsPlayingRadioVesselWave,
                                           op::kSoundOption,
                                           op::kSetFrequency,
                                           op::kGetVesselSoundID,
                                           op::kReplaceStockSound};

}  // namespace vsim

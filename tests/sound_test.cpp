#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support.h"

namespace {

using test::HostTest;

const char kBanner[] = "Orbiter Sound Log Started\n*****************************\n\n";
const char kNotLoaded[] =
    "--------------------------------------\n"
    "ERR01= Vessel->ConnectToOrbiterSoundDLL3: Unable to connect to OrbiterSound 3.5 - not "
    "installed or activated\n\n";

namespace fs = std::filesystem;

const char kLog[] = "OrbiterSound_Log.txt";

// The module writes its log as text: read it as text.
std::string ReadLog(std::ios::openmode mode = std::ios::in) {
  std::ifstream in(kLog, mode);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

bool LogExists() { return fs::exists(kLog); }

std::vector<std::string> SoundCalls(vsim::Host& host, const std::string& vessel = "heli") {
  std::vector<std::string> out;
  for (const vsim::CallEntry& e : host.journal().Entries())
    if (e.vessel == vessel && (e.call.find("Wave") != std::string::npos ||
                               e.call.find("SoundOption3") != std::string::npos ||
                               e.call.find("SoundID3") != std::string::npos))
      out.push_back(e.call);
  return out;
}

TEST_F(HostTest, WithoutTheLibraryEachCreationLogsOnceAndRunsSilently) {
  Create("one");
  Create("two");
  EXPECT_EQ(ReadLog(), std::string(kBanner) + kNotLoaded + kNotLoaded);
  Read("one").ground_contact = false;
  Key(OAPI_KEY_G, true, "one");
  host.Vessel("one").GroupMember(THGROUP_HOVER)->level = 1;
  Step(3);
  EXPECT_TRUE(SoundCalls(host, "one").empty());
  EXPECT_EQ(host.Vessel("one").sound.id, -1);
}

TEST_F(HostTest, LogStopsAfter101EntriesPerModuleLoad) {
  Load();
  for (int i = 0; i < 102; ++i) {
    Create("h" + std::to_string(i));
    host.DestroyVessel("h" + std::to_string(i));
  }
  std::string expected = kBanner;
  for (int i = 0; i < 101; ++i) expected += kNotLoaded;
  EXPECT_EQ(ReadLog(), expected);
  host.UnloadModule();
  Load();
  Create();
  EXPECT_EQ(ReadLog(), expected + kNotLoaded) << "the count starts afresh with each load";
}

TEST_F(HostTest, ExistingLogIsAppendedToWithoutBanner) {
  { std::ofstream(kLog) << "earlier run\n"; }
  Create();
  EXPECT_EQ(ReadLog(), std::string("earlier run\n") + kNotLoaded);
}

TEST_F(HostTest, LogLinesEndAsTheSystemEndsTextLines) {
  Create();
#if defined(_WIN32)
  const std::string end = "\r\n";
#else
  const std::string end = "\n";
#endif
  std::string expected = std::string(kBanner) + kNotLoaded;
  for (std::size_t at = 0; (at = expected.find('\n', at)) != std::string::npos; at += end.size())
    expected.replace(at, 1, end);
  EXPECT_EQ(ReadLog(std::ios::in | std::ios::binary), expected);
}

TEST_F(HostTest, LogInAnUnwritableDirectoryWritesNothingAndDoesNotCrash) {
  const bool permissions_hold = test::PermissionsBindThisProcess();
  if (permissions_hold) {
    fs::permissions(scratch.Path(),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
  } else {
    // A file that cannot be created stands in for a folder that refuses it.
    ASSERT_TRUE(fs::create_directory(kLog));
  }
  Create();
  Step();
  EXPECT_EQ(host.Vessel("heli").sound.id, -1);
  if (permissions_hold) {
    EXPECT_FALSE(fs::exists(kLog));
    fs::permissions(scratch.Path(), fs::perms::owner_write, fs::perm_options::add);
  } else {
    EXPECT_TRUE(fs::is_directory(kLog));
  }
}

TEST_F(HostTest, UnwritableLogWritesNothingAndDoesNotCrash) {
  ASSERT_TRUE(fs::create_directory(kLog));  // a directory cannot be opened as the log
  Create();
  EXPECT_TRUE(fs::is_directory(kLog));
  Step();
  EXPECT_EQ(host.Vessel("heli").sound.id, -1);
}

TEST_F(HostTest, TheModuleFindsTheLibraryOnlyOnceTheHostLoadedIt) {
  Create("before");
  EXPECT_EQ(ReadLog(), std::string(kBanner) + kNotLoaded);
  EXPECT_EQ(host.Vessel("before").sound.id, -1);
  host.LoadSoundLibrary(SOUND_PATH);
  Create("after");
  EXPECT_EQ(ReadLog(), std::string(kBanner) + kNotLoaded) << "connected: nothing more logged";
  EXPECT_EQ(host.Vessel("after").sound.id, 0);
}

// A vessel keeps the library's entry points it found at its creation.
TEST_F(HostTest, TheLibraryIsNotReplacedUnderLiveVessels) {
  host.LoadSoundLibrary(SOUND_PATH);
  Create();
  try {
    host.LoadSoundLibrary(SOUND_NO_ID_PATH);
    ADD_FAILURE() << "replaced under a live vessel";
  } catch (const vsim::HostError& e) {
    EXPECT_EQ(std::string(e.what()),
              std::string(SOUND_NO_ID_PATH) +
                  ": the sound library cannot be replaced while vessels live");
  }
  host.journal().Clear();
  Step();
  EXPECT_EQ(host.Vessel("heli").sound.id, 0);
  EXPECT_FALSE(host.Faulted());
  host.DestroyVessel("heli");
  host.LoadSoundLibrary(SOUND_NO_ID_PATH);
  Create("later");
  EXPECT_EQ(host.Vessel("later").sound.id, -1) << "the new library lacks the identifier";
}

struct VariantCase {
  const char* name;
  const char* path;
  const char* logged;  // null: connects
};

void PrintTo(const VariantCase& c, std::ostream* out) { *out << c.name; }

class SoundVariantTest : public HostTest, public ::testing::WithParamInterface<VariantCase> {};

TEST_P(SoundVariantTest, ConnectionFailsOnlyForMissingRequiredExports) {
  host.LoadSoundLibrary(GetParam().path);
  Load();
  Create();
  if (GetParam().logged == nullptr) {
    EXPECT_FALSE(LogExists());
    EXPECT_EQ(host.Vessel("heli").sound.id, 0);
    EXPECT_EQ(SoundCalls(host).size(), 10u);
    return;
  }
  EXPECT_EQ(ReadLog(), std::string(kBanner) + "--------------------------------------\n" +
                           GetParam().logged + "\n\n");
  EXPECT_TRUE(SoundCalls(host).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Libraries, SoundVariantTest,
    ::testing::Values(VariantCase{"Complete", SOUND_PATH, nullptr},
                      VariantCase{"NoVersion", SOUND_NO_VERSION_PATH, nullptr},
                      VariantCase{"NoId", SOUND_NO_ID_PATH,
                                  "ERR03= unable to connect to GetMyID, Older OrbiterSound.dll ?"},
                      VariantCase{
                          "NoIdNoFrequency", SOUND_NO_ID_NO_FREQUENCY_PATH,
                          "ERR02= ConnectToOrbiterSoundDLL3: Unable to find routines missing "
                          "OrbiterSound3.5 ?"}),
    [](const auto& info) { return std::string(info.param.name); });

class VesselSoundTest : public HostTest {
protected:
  void SetUp() override {
    Load(true);
    Create();
    Airborne();
  }
  std::vector<std::string> StepSounds() {
    host.journal().Clear();
    Step();
    return SoundCalls(host);
  }
  void Levels(double main, double hover) {
    Level(THGROUP_MAIN) = main;
    Level(THGROUP_HOVER) = hover;
  }
};

TEST_F(VesselSoundTest, CreationConnectsLoadsBothWavesAndSwitchesOptionsOff) {
  EXPECT_EQ(SoundCalls(host),
            (std::vector<std::string>{
                "GetVesselSoundID3(vessel#1)",
                "LoadVesselWaveOBSound3(0, 1, \"Sound\\Corvane\\Corvane-Eng.wav\", 4)",
                "LoadVesselWaveOBSound3(0, 2, \"Sound\\Corvane\\Corvane-Gear.wav\", 4)",
                "SoundOption3(0, 5, 0)", "SoundOption3(0, 6, 0)", "SoundOption3(0, 1, 0)",
                "SoundOption3(0, 13, 0)", "SoundOption3(0, 14, 0)", "SoundOption3(0, 16, 0)",
                "SoundOption3(0, 17, 0)"}));
  EXPECT_FALSE(LogExists());
}

TEST_F(VesselSoundTest, EnginePitchAndVolumeFollowThrustAndCamera) {
  struct Case {
    double main, hover;
    bool internal;
    const char* request;
  };
  const Case cases[] = {
      {0.5, 0, false, "PlayVesselWaveOBSound3(0, 1, 1, 255, 17000)"},
      {0.5, 0, true, "PlayVesselWaveOBSound3(0, 1, 1, 220, 16200)"},
      {0, 1, false, "PlayVesselWaveOBSound3(0, 1, 1, 255, 20000)"},
      {0, 1, true, "PlayVesselWaveOBSound3(0, 1, 1, 220, 19200)"},
      {0.2, 0.9, false, "PlayVesselWaveOBSound3(0, 1, 1, 255, 15200)"},
      {0.00001, 0, false, "PlayVesselWaveOBSound3(0, 1, 1, 255, 14000)"},
      {0, 0, false, "StopVesselWave3(0, 1)"},
      {0, 0, true, "StopVesselWave3(0, 1)"},
  };
  for (const Case& c : cases) {
    Levels(c.main, c.hover);
    host.SetCameraInternal(c.internal);
    EXPECT_EQ(StepSounds(), std::vector<std::string>{c.request}) << c.main << " " << c.hover;
  }
  EXPECT_EQ(host.Vessel("heli").sound.slots.at(1).last, "stop");
}

TEST_F(VesselSoundTest, GearSoundOnlyInTheAir) {
  host.journal().Clear();
  Key(OAPI_KEY_G);
  EXPECT_EQ(SoundCalls(host), std::vector<std::string>{"PlayVesselWaveOBSound3(0, 2, 0, 255, 0)"});
  Read().ground_contact = true;
  host.journal().Clear();
  Key(OAPI_KEY_G);
  EXPECT_TRUE(SoundCalls(host).empty());
}

TEST_F(VesselSoundTest, CockpitSwitchSounds) {
  host.journal().Clear();
  host.DeliverCockpitEvent("heli", 6, PANEL_MOUSE_LBDOWN);
  host.DeliverCockpitEvent("heli", 49, PANEL_MOUSE_LBDOWN);
  Read().ground_contact = true;
  host.DeliverCockpitEvent("heli", 6, PANEL_MOUSE_LBDOWN);
  host.DeliverCockpitEvent("heli", 49, PANEL_MOUSE_LBDOWN);
  EXPECT_EQ(SoundCalls(host),
            (std::vector<std::string>{"PlayVesselWaveOBSound3(0, 2, 0, 255, 0)",
                                      "PlayVesselWaveOBSound3(0, 3, 0, 255, 0)",
                                      "PlayVesselWaveOBSound3(0, 3, 0, 255, 0)"}));
  EXPECT_EQ(host.Vessel("heli").sound.slots.at(3).last, "play");
}

TEST_F(VesselSoundTest, EachHelicopterSoundsUnderItsOwnIdentifier) {
  Create("other");
  host.Vessel("other").readings = Read();
  EXPECT_EQ(Calls("LoadVesselWaveOBSound3", "other").size(), 2u);
  EXPECT_EQ(Calls("LoadVesselWaveOBSound3", "other")[0].rfind("LoadVesselWaveOBSound3(1, 1,", 0),
            0u);
  Levels(0.5, 0);
  Level(THGROUP_HOVER, "other") = 1;
  host.journal().Clear();
  Step();
  EXPECT_EQ(SoundCalls(host, "heli"),
            std::vector<std::string>{"PlayVesselWaveOBSound3(0, 1, 1, 255, 17000)"});
  EXPECT_EQ(SoundCalls(host, "other"),
            std::vector<std::string>{"PlayVesselWaveOBSound3(1, 1, 1, 255, 20000)"});
}

TEST_F(VesselSoundTest, IdentifiersOfDestroyedVesselsAreGivenAgain) {
  for (int i = 0; i < 200; ++i) {
    const std::string name = "v" + std::to_string(i);
    Create(name);
    ASSERT_EQ(host.Vessel(name).sound.id, 1) << "vessel " << i << " gets the freed identifier";
    host.DestroyVessel(name);
  }
  EXPECT_EQ(host.Vessel("heli").sound.id, 0) << "a live vessel keeps its own";
}

TEST_F(VesselSoundTest, TheSixtyFirstHelicopterRunsSilent) {
  for (int i = 1; i < 61; ++i) Create("h" + std::to_string(i));
  EXPECT_EQ(host.Vessel("h59").sound.id, 59);
  EXPECT_EQ(host.Vessel("h60").sound.id, -1);
  EXPECT_TRUE(Calls("LoadVesselWaveOBSound3", "h60").empty());
  EXPECT_FALSE(LogExists()) << "a refused identifier is no connection failure";
}

}  // namespace

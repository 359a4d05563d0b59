#include "sound/orbiter_sound.h"
#include "tests/support.h"

namespace {

class SoundWrapperTest : public test::HostTest {
protected:
  void SetUp() override {
    host.LoadSoundLibrary(SOUND_PATH);
    Load();
    Create();
    // This test binary's own copy of the connection, made for the vessel.
    id = ConnectToOrbiterSoundDLL3(host.Vessel("heli").vessel->GetHandle());
    host.journal().Clear();
  }
  std::size_t Requests() { return host.journal().Entries().size(); }
  int id = -1;
};

TEST_F(SoundWrapperTest, InRangeRequestsPassThroughUnchanged) {
  ASSERT_EQ(id, 0);
  EXPECT_EQ(SoundPlayWave(id, 60, 1, 200, 12345), 1);
  EXPECT_EQ(SoundStopWave(id, 1), 1);
  EXPECT_EQ(SoundSetOption(id, 17, 3), 1);
  EXPECT_EQ(SoundLoadWave(id, 1, "a.wav", 4), 1);
  EXPECT_EQ(Calls(""), (std::vector<std::string>{"PlayVesselWaveOBSound3(0, 60, 1, 200, 12345)",
                                                 "StopVesselWave3(0, 1)", "SoundOption3(0, 17, 3)",
                                                 "LoadVesselWaveOBSound3(0, 1, \"a.wav\", 4)"}));
}

TEST_F(SoundWrapperTest, OutOfRangeRequestsPassNothingOn) {
  ASSERT_EQ(id, 0);
  for (int bad_id : {-1, 60, -2147483647 - 1}) {
    EXPECT_EQ(SoundPlayWave(bad_id, 1, 1, 255, 1000), 0);
    EXPECT_EQ(SoundStopWave(bad_id, 1), 0);
    EXPECT_EQ(SoundSetOption(bad_id, 1, 0), 0);
    EXPECT_EQ(SoundLoadWave(bad_id, 1, "x.wav", 4), 0);
  }
  for (int slot : {0, 61}) {
    EXPECT_EQ(SoundPlayWave(id, slot, 1, 255, 1000), 0);
    EXPECT_EQ(SoundStopWave(id, slot), 0);
    EXPECT_EQ(SoundLoadWave(id, slot, "x.wav", 4), 0);
  }
  for (int option : {0, 18}) EXPECT_EQ(SoundSetOption(id, option, 0), 0);
  EXPECT_EQ(Requests(), 0u);
}

}  // namespace

// The helicopter's sound requests outside the flight step.
#pragma once

void PlayGearSound(int sound_id);
void PlaySecondSwitchSound(int sound_id);

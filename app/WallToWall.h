#pragma once

class TMainForm;

// On a screen wider or taller than the 4 : 3 layout the scene's surroundings show around the
// controls: the player picture, the coins, the number pad, the clock line and the small
// buttons then stand on panels of the blackboard's colours instead of on black. Called once
// the window has its layout.
void DressForSurround(TMainForm &form);

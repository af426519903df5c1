#pragma once

class QPixmap;
class TMainForm;

// On a screen wider or taller than the 4 : 3 layout the scene's surroundings show around the
// controls: the player picture, the coins, the number pad, the clock line and the small
// buttons then stand on panels of the blackboard's colours instead of on black. Called once
// the window has its layout.
void DressForSurround(TMainForm &form);

// The window's pictures are drawn on black, for the black around a 4 : 3 scene: on a panel
// that black is left out. What is nearly black inside them hardly differs on the dark panel.
QPixmap PanelPicture(const QPixmap &pixmap);

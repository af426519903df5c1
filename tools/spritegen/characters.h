// The characters of the meadow, drawn pose by pose.
#pragma once

#include <QPainter>

namespace sprites {

// One frame's pose; every field is 0 at rest.
struct Pose
{
    double lift = 0;    // pixels off the ground
    double squash = 0;  // > 0 crouched, < 0 stretched
    double breathe = 0; // body swell, -1..1
    double look = 0;    // head turned left (-1) or right (1)
    double tilt = 0;    // head tilt in degrees
    double blink = 0;   // 0 eyes open, 1 shut
    double arms = 0;    // 0 down, 1 raised high
    double tail = 0;    // wag, -1..1
    int mood = 0;       // 1 delighted, 0 content, -1 sorry
    bool thinking = false;
};

// Each draws into a cell of the given size whose bottom edge is the ground.
void drawOldSheep(QPainter &p, double w, double h, const Pose &pose);
void drawWolf(QPainter &p, double w, double h, const Pose &pose);
void drawWoolly(QPainter &p, double w, double h, const Pose &pose);
// phase 0..1 of one wing beat; facing right unless mirrored by the caller.
void drawButterfly(QPainter &p, double w, double h, double phase);

} // namespace sprites

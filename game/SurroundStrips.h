#pragma once

#include <QRect>

// The background carried on around the scene for screens wider or taller than 4 : 3, in
// strips beside Back.bmp: 512 pixels on either side (enough for 21 : 9 at the height of the
// 1024 x 768 layout), 64 above and 256 below (5 : 4, and the ground under the number pad).
// The side strips start 64 above the scene, as high as the top strip, and reach Overlap pixels
// into the scene: Back ends its hills with an outline at its edges, which they cover. The
// generator draws them from this table and the game places them by it.
namespace SurroundStrips {

inline constexpr int Overlap = 4;

struct Strip
{
    const char *name; // the picture is name + ".bmp"
    QRect place;      // in scene pixels
};

inline constexpr Strip All[] = {
    {"BackLeft", QRect(-512, -64, 512 + Overlap, 920)},
    {"BackRight", QRect(800 - Overlap, -64, 512 + Overlap, 920)},
    {"BackTop", QRect(0, -64, 800, 64)},
    {"BackBottom", QRect(0, 600, 800, 256)},
};

} // namespace SurroundStrips

#pragma once

#include "core/Def.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class Bitmap;

// Character codes and action codes, shared with the sound cues and the main window.
enum : uint8_t { anButterFly = 0, anOldSheep = 1, anWolf = 2, anWoolly = 3 };
enum : uint8_t { akRight = 0, akLeft = 1, akThink = 2, akYes = 3, akNo = 4 };

// One sprite of the scene.
struct rAnimation
{
    uint8_t Character = 0;
    SceneLayer Layer;
};

// The characters of the scene. This first version has no sprites: every reaction counts
// as ended at once, so a finished problem is replaced on the next scene tick.
class TAnimation
{
public:
    TAnimation();
    ~TAnimation();

    void Animate();
    void PlayAction(uint8_t character, uint8_t action);

    std::vector<std::unique_ptr<rAnimation>> Sprites;
    bool ReactionDone = true;
};

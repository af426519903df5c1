#pragma once

#include "core/Def.h"
#include "platform/DataFolders.h"
#include "platform/Random.h"

#include <QStringList>
#include <cstdint>

class Clock;

// What the engines of one game stand on: its clock, its random draw, its countdown slots and
// the folders their settings are read from. The game owns one and gives it to its engines, so
// two games in one process never share any of it.
class EngineHost
{
public:
    EngineHost(Clock &clock, DataFolders folders);
    EngineHost(const EngineHost &) = delete;
    EngineHost &operator=(const EngineHost &) = delete;

    uint32_t GetTickCount() const;
    Clock &clock() const { return m_clock; }
    const DataFolders &folders() const { return m_folders; }
    // Lines of a file below the data folder, such as "Set/Basic.dat", read as text.
    QStringList ReadDataLines(const QString &relative) const;
    Random &random() { return m_random; }
    TickSlots &tickSlots() { return m_slots; }

private:
    Clock &m_clock;
    DataFolders m_folders;
    Random m_random;
    TickSlots m_slots;
};

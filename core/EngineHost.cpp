#include "core/EngineHost.h"

#include "platform/Clock.h"
#include "platform/TextFiles.h"

#include <utility>

EngineHost::EngineHost(Clock &clock, DataFolders folders)
    : m_clock(clock), m_folders(std::move(folders))
{
}

uint32_t EngineHost::GetTickCount() const
{
    return m_clock.tickCount();
}

QStringList EngineHost::ReadDataLines(const QString &relative) const
{
    return readTextLines(m_folders.appDir + relative);
}

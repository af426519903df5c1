#pragma once

#include "platform/DataFolders.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>

class EngineHost;
class Reporter;
class TMainClass;

// Starts the offscreen application once and copies the shipped data tree to a scratch
// folder, so readers run exactly as in the game.
void fuzzInit();
// The scratch folder's layout, as a game is given it.
DataFolders fuzzFolders();
QString fuzzDataPath(const QString &relative);
void fuzzWrite(const QString &relative, const uint8_t *data, size_t size);
QStringList fuzzLines(const uint8_t *data, size_t size);
// Errors shown nowhere.
Reporter &fuzzReporter();
// What the engines stand on: the scratch data tree and a clock that stands still.
EngineHost &fuzzHost();
// The game controller on the scratch data tree, made once. Never freed: at exit Qt's own
// statics (the database connections of the journal) may already be gone.
TMainClass &fuzzController();
// A file of the shipped data tree as it was copied.
QByteArray fuzzShipped(const QString &relative);

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>

// Starts the offscreen application once and points AppDir at a scratch copy of the shipped
// data tree, so readers run exactly as in the game.
void fuzzInit();
QString fuzzDataPath(const QString &relative);
void fuzzWrite(const QString &relative, const uint8_t *data, size_t size);
QStringList fuzzLines(const uint8_t *data, size_t size);
// The game controller on the scratch data tree, made once. Never freed: at exit Qt's own
// statics (the database connections of the journal) may already be gone.
class TMainClass;
TMainClass &fuzzController();
// A file of the shipped data tree as it was copied.
QByteArray fuzzShipped(const QString &relative);

#pragma once

class QCoreApplication;
class QString;

// The game speaks Chinese, its source language, with Qt's own texts (the buttons of the
// standard boxes: 是, 否, 确定) in Chinese too. Where translations/ holds a translation of the
// game for the user's language (sumsprout_<language>.qm), the game and Qt's texts speak that
// language instead. False where Qt's translations are missing and its English stays.
bool InstallTranslations(QCoreApplication &app, const QString &translationsFolder);

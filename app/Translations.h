#pragma once

class QCoreApplication;

// Qt's own texts (the buttons of the standard boxes: 是, 否, 确定) in Chinese, like the rest
// of the game. False, and Qt's English left in place, where the translations are missing.
bool InstallQtTranslations(QCoreApplication &app);

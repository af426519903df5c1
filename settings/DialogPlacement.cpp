#include "settings/DialogPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void CentreOnScreen(QWidget &dialog)
{
    QScreen *screen = dialog.screen() ? dialog.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect r(QPoint(0, 0), dialog.size());
    r.moveCenter(screen->availableGeometry().center());
    dialog.setGeometry(r);
}

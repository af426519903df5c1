#include "app/WallToWall.h"

#include "app/Main.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QToolButton>

namespace {

// The blackboard's green, a little see-through, in its wooden frame.
const char PanelLook[] = "background: rgba(24, 52, 40, 200); border: 3px solid #b07a3c;"
                         " border-radius: 14px;";

// A panel behind some controls of the window, a little larger than they are.
void panelBehind(TMainForm &form, const char *name, const QRect &around)
{
    auto *panel = new QWidget(&form);
    panel->setObjectName(QLatin1String(name));
    panel->setAttribute(Qt::WA_TransparentForMouseEvents);
    panel->setStyleSheet(
        QStringLiteral("QWidget#%1 { %2 }").arg(QLatin1String(name), QLatin1String(PanelLook)));
    panel->setGeometry(around.adjusted(-8, -6, 8, 6));
    panel->show();
    panel->lower();
}

} // namespace

QPixmap PanelPicture(const QPixmap &pixmap)
{
    QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qMax(qRed(row[x]), qMax(qGreen(row[x]), qBlue(row[x]))) <= 16) row[x] = 0;
    }
    QPixmap out = QPixmap::fromImage(image);
    out.setDevicePixelRatio(pixmap.devicePixelRatio());
    return out;
}

void DressForSurround(TMainForm &form)
{
    form.AnswerPanel->setObjectName(QStringLiteral("AnswerPanel"));
    form.AnswerPanel->setStyleSheet(
        QStringLiteral("QWidget#AnswerPanel { %1 }").arg(QLatin1String(PanelLook)));
    form.HintPanel->setStyleSheet(
        QStringLiteral("color: #ffff00; %1").arg(QLatin1String(PanelLook)));
    form.Panel1->setStyleSheet(QStringLiteral("background: transparent; border: none;"));
    form.Who->setStyleSheet(QStringLiteral("QToolButton { color: white; border: none;"
                                           " background: transparent; }"
                                           "QToolButton:hover { color: #ffe066; }"));
    form.MoneyImage->setPixmap(PanelPicture(form.MoneyImage->pixmap()));
    form.m_onPanels = true;
    for (QPixmap &player : form.ImageList1)
        if (!player.isNull()) player = PanelPicture(player);
    form.ShowPlayer();
    panelBehind(form, "WhoPanel", form.Who->geometry());
    panelBehind(form, "MoneyPanel",
                form.MoneyImage->geometry()
                    .united(form.MoneyLabel1->geometry())
                    .united(form.MoneyLabel2->geometry())
                    .adjusted(0, 8, 40, -8));
    panelBehind(form, "ButtonPanel",
                form.SpeedButton0->geometry().united(form.SpeedButton3->geometry()));
}

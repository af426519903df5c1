#include "settings/uAbout.h"

#include "core/Def.h"
#include "platform/TextFiles.h"
#include "settings/DialogPlacement.h"

#include <QDesktopServices>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>

namespace {

QFont arial(int px, bool bold = false)
{
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

// The link may not run past the box's right edge, less a margin.
const int AddressRight = 417 - 12;

} // namespace

TAboutForm::TAboutForm(const QString &helpPage, QWidget *parent)
    : QDialog(parent), OpenUrl([](const QUrl &url) { return QDesktopServices::openUrl(url); }),
      m_helpPage(helpPage)
{
    setWindowTitle(tr("关于"));
    // A fixed dialog border: a title and a close button, nothing to resize or maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(417, 285);
    setFont(arial(12));

    Label1 = new QLabel(QStringLiteral("Sumsprout"), this);
    Label1->setFont(arial(29, true));
    Label1->move(24, 24);
    Label1->adjustSize();

    Label5 = new QLabel(tr("祝您孩子早日成材！"), this);
    Label5->setFont(arial(16, true));
    Label5->setStyleSheet(QStringLiteral("color: black;"));
    Label5->move(128, 80);
    Label5->adjustSize();

    Label4 = new QLabel(this);
    QFont link = arial(12);
    link.setUnderline(true);
    Label4->setFont(link);
    Label4->setStyleSheet(QStringLiteral("color: blue;"));
    Label4->setCursor(Qt::PointingHandCursor);
    Label4->move(104, 192);
    Label4->installEventFilter(this);
    ShowAddress();

    Button1 = new QPushButton(tr("关闭"), this);
    Button1->setGeometry(256, 240, 75, 25);
    connect(Button1, &QPushButton::clicked, this, &TAboutForm::Button1Click);

    // A window shortcut sees the key before the focused control does.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] { FormKeyDown(Qt::Key_Escape); });
}

QUrl TAboutForm::HelpUrl() const
{
    return QUrl::fromLocalFile(resolvePath(m_helpPage));
}

void TAboutForm::ShowAddress()
{
    const QString address = HelpUrl().toString();
    const QString prefix = tr("网址：    ");
    const QFontMetrics metrics(Label4->font());
    const int room = AddressRight - Label4->x() - metrics.horizontalAdvance(prefix);
    // A deep install folder is shortened in the middle; the tooltip has it whole.
    Label4->setText(prefix + metrics.elidedText(address, Qt::ElideMiddle, room));
    Label4->setToolTip(address);
    Label4->adjustSize();
}

void TAboutForm::showEvent(QShowEvent *event)
{
    ShowAddress();
    QDialog::showEvent(event);
    if (!event->spontaneous()) CentreOnScreen(*this);
}

bool TAboutForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Label4 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton &&
        Label4->rect().contains(static_cast<QMouseEvent *>(event)->position().toPoint())) {
        Label4Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutForm::Label4Click()
{
    if (OpenUrl) OpenUrl(HelpUrl());
}

void TAboutForm::Button1Click()
{
    reject();
}

void TAboutForm::FormKeyDown(int key)
{
    if (key == Qt::Key_Escape) reject();
}

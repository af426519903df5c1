#include "app/Main.h"

#include "app/DialogWatch.h"
#include "app/WallToWall.h"
#include "game/SceneSurround.h"
#include "platform/Art.h"
#include "platform/Bitmap.h"
#include "platform/Errors.h"
#include "platform/FreshMemory.h"
#include "platform/PaintedImage.h"
#include "platform/SoundService.h"
#include "platform/TwoBands.h"
#include "progress/ClassLink.h"
#include "progress/uClassReport.h"
#include "progress/SkillModel.h"
#include "progress/uReport.h"
#include "settings/uAbout.h"
#include "settings/uSet.h"

#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

namespace {

const int AnswerPanelWidth = 665, AnswerPanelHeight = 105;
const int SmallButtonWidth = 57, SmallButtonHeight = 22;
const int HintPanelWidth = 417, HintPanelHeight = 33;
const QSize MoneyImageSize(219, 163);
// The coin labels at show time hold their design text "0个".
const QSize MoneyLabel1Size(59, 42), MoneyLabel2Size(37, 27);
const QSize WhoSize(129, 195);

QFont pixelFont(const char *face, int px, bool bold = false, bool italic = false)
{
    QFont f(QString::fromLatin1(face));
    f.setPixelSize(px);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

QString colourStyle(const char *colour)
{
    return QStringLiteral("color: %1; background: transparent;").arg(QLatin1String(colour));
}

QLabel *makeLabel(QWidget *parent, const QString &text, const QFont &font, const char *colour)
{
    auto *l = new QLabel(text, parent);
    l->setFont(font);
    l->setStyleSheet(colourStyle(colour));
    return l;
}

QToolButton *makeFlatButton(QWidget *parent, const QString &caption, const QString &glyph)
{
    auto *b = new QToolButton(parent);
    b->setText(caption);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setFont(pixelFont("Arial", 12));
    b->setStyleSheet(QStringLiteral("QToolButton { color: white; border: none; }"
                                    "QToolButton:hover { color: #ffe066; }"));
    b->setIcon(artIcon(glyph));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->resize(SmallButtonWidth, SmallButtonHeight);
    return b;
}

// The font made smaller until the whole of text fits width: a long name is shown whole.
QFont fitting(QFont font, const QString &text, int width)
{
    while (font.pixelSize() > 12 && QFontMetrics(font).horizontalAdvance(text) > width)
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

bool isAnswerInteger(const QString &text, int32_t &value)
{
    if (text.isEmpty()) return false;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    }
    bool ok = false;
    const qlonglong v = text.toLongLong(&ok);
    if (!ok || v > 2147483647LL) return false;
    value = static_cast<int32_t>(v);
    return true;
}

QString twoDigits(int n)
{
    return n < 10 ? QStringLiteral("0") + QString::number(n) : QString::number(n);
}

} // namespace

MainLayout ComputeLayout(int w, int h)
{
    MainLayout l;
    l.Who = QRect(QPoint(10, HintPanelHeight + 20), WhoSize);
    l.AnswerPanel = QRect((w - AnswerPanelWidth) / 2, h - AnswerPanelHeight, AnswerPanelWidth,
                          AnswerPanelHeight);
    const int buttonLeft = w - SmallButtonWidth - 10;
    l.SpeedButton0 = QRect(buttonLeft, SmallButtonHeight + 40, SmallButtonWidth, SmallButtonHeight);
    l.SpeedButton1 = l.SpeedButton0.translated(0, 2 * SmallButtonHeight);
    l.SpeedButton2 = l.SpeedButton1.translated(0, 2 * SmallButtonHeight);
    l.SpeedButton3 = l.SpeedButton2.translated(0, 2 * SmallButtonHeight);
    l.MoneyImage = QRect(QPoint(0, h - MoneyImageSize.height()), MoneyImageSize);
    l.MoneyLabel1 =
        QRect(QPoint(MoneyImageSize.width() + 10, l.MoneyImage.top() + 30), MoneyLabel1Size);
    l.MoneyLabel2 =
        QRect(QPoint(MoneyImageSize.width() + 10, l.MoneyImage.top() + 120), MoneyLabel2Size);
    const int labelRight = l.MoneyLabel1.left() + l.MoneyLabel1.width();
    if (labelRight > l.AnswerPanel.left()) l.AnswerPanel.moveLeft(labelRight + 5);
    l.HintPanelOnTop = h > 768;
    if (l.HintPanelOnTop)
        l.HintPanel = QRect(0, 0, w, HintPanelHeight);
    else
        l.HintPanel = QRect(l.AnswerPanel.left(), l.AnswerPanel.top() - HintPanelHeight - 1,
                            HintPanelWidth, HintPanelHeight);
    return l;
}

void PaintScene(QPainter &p, const QImage &scene, QPoint at, const QRegion &area)
{
    const qreal ratio = p.device()->devicePixelRatioF();
    p.save();
    // Undo the window's scaling: the scene is already at device resolution.
    p.setWorldTransform(QTransform::fromScale(1 / ratio, 1 / ratio));
    for (const QRect &r : area.intersected(QRect(at, scene.size())))
        p.drawImage(r.topLeft(), scene, r.translated(-at));
    p.restore();
}

QString ClockLine(int hours, int minutes, int seconds, int solved)
{
    return TMainForm::tr("做题耗时%1:%2:%3      做题总数%4道")
        .arg(twoDigits(hours), twoDigits(minutes), twoDigits(seconds), QString::number(solved));
}

QString StartFailureText(const QString &error)
{
    // Paths break after their slashes, so a long one still wraps.
    QString shown = error.toHtmlEscaped();
    shown.replace(QLatin1Char('/'), QStringLiteral("/&#8203;"));
    // The file on a line of its own, the reason below it.
    shown.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    return TMainForm::tr(
               "<p style='font-size:32px; color:#ffe066;'><b>游戏没能开始</b></p>"
               "<p>游戏要用的文件出了问题：</p>"
               "<p style='color:#ffb0a0;'>%1</p>"
               "<p>重新安装游戏，或者把 Set 文件夹恢复成原来的样子（比如从备份里拷回来），"
               "一般就能解决。</p>"
               "<p>点右上角的“退出”或者按 Esc 键，可以关闭游戏。</p>")
        .arg(shown);
}

int KeyDigit(int key, quint32 nativeScanCode)
{
    // Qt reports main-keyboard and keypad digits alike (the keypad with a modifier).
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return key - Qt::Key_0;
    // XKB keycodes 10 to 19 are the keys 1 to 9 and 0 of the digit row.
    if (nativeScanCode >= 10 && nativeScanCode <= 19) return int(nativeScanCode - 9) % 10;
    return -1;
}

TMainForm::TMainForm(const GameServices &services, QWidget *parent)
    : QWidget(parent), m_services(services)
{
    setWindowTitle(QStringLiteral("Sumsprout"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setFont(pixelFont("Arial", 12));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);

    SpeedButton0 = makeFlatButton(this, tr("退出"), QStringLiteral(":/art/exit.png"));
    SpeedButton1 = makeFlatButton(this, tr("设置"), QStringLiteral(":/art/settings.png"));
    SpeedButton2 = makeFlatButton(this, tr("关于"), QStringLiteral(":/art/about.png"));
    SpeedButton3 = makeFlatButton(this, tr("成绩"), QStringLiteral(":/art/results.png"));

    MoneyImage = new QLabel(this);
    MoneyImage->resize(MoneyImageSize);
    MoneyLabel1 = makeLabel(this, tr("%1个").arg(0), pixelFont("Arial", 37), "#ffff00");
    MoneyLabel2 = makeLabel(this, tr("%1个").arg(0), pixelFont("Arial", 24), "#ffff00");
    MoneyLabel1->resize(MoneyLabel1Size);
    MoneyLabel2->resize(MoneyLabel2Size);

    // Each player's picture is read when it is first shown: a zoomed start reads one, not five.
    for (int i = 0; i < 5; ++i)
        ImageList1 << QPixmap();
    Who = new QToolButton(this);
    Who->setText(tr("我做题"));
    Who->setToolTip(tr("换另一个人"));
    Who->setAutoRaise(true);
    Who->setFocusPolicy(Qt::NoFocus);
    Who->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    Who->setIconSize(QSize(135, 160));
    Who->setFont(pixelFont("Arial", 29));
    Who->setStyleSheet(QStringLiteral("QToolButton { color: white; border: none; }"
                                      "QToolButton:hover { color: #ffe066; }"));
    Who->resize(WhoSize);

    AnswerPanel = new QWidget(this);
    AnswerPanel->resize(AnswerPanelWidth, AnswerPanelHeight);
    AnswerPanel->setCursor(Qt::PointingHandCursor);
    AnswerPanel->setStyleSheet(QStringLiteral("background: black;"));
    const QString padStyle = QStringLiteral(
        "QToolButton { color: #0000ff; background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
        " stop:0 #fffbe6, stop:1 #ffe9a8); border: 2px solid #e0b84a; border-radius: 9px; }"
        "QToolButton:hover { background: #fff3b0; }"
        "QToolButton:pressed { background: #ffd54a; }");
    for (int i = 0; i < 10; ++i) {
        auto *b = new QToolButton(AnswerPanel);
        b->setText(QString::number(i));
        b->setFont(pixelFont("Comic Sans MS", 35, true));
        b->setFocusPolicy(Qt::NoFocus);
        b->setStyleSheet(padStyle);
        b->resize(44, 44);
        // 1..5 on the top row, 6..9 and 0 below.
        const int slot = i == 0 ? 9 : i - 1;
        b->move(64 + 51 * (slot % 5), slot < 5 ? 8 : 56);
        connect(b, &QToolButton::clicked, this,
                [this, b] { guarded(m_services.Messages, [&] { NumberButtonClick(b); }); });
        NumberButton[i] = b;
    }
    auto glyphButton = [this](const QString &glyph, const QString &tip, int x) {
        auto *b = new QToolButton(AnswerPanel);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setIcon(artIcon(glyph));
        b->setIconSize(QSize(64, 64));
        b->setToolTip(tip);
        b->setStyleSheet(QStringLiteral("QToolButton { border: none; background: transparent; }"
                                        "QToolButton:pressed { padding-top: 2px; }"));
        b->setGeometry(x, 19, 68, 68);
        return b;
    };
    SpeedButton12 = glyphButton(QStringLiteral(":/art/submit.png"), tr("我知道了！"), 320);
    BackNumberButton = glyphButton(QStringLiteral(":/art/erase.png"), tr("擦掉"), 584);
    Label1 = makeLabel(AnswerPanel, QStringLiteral("="), pixelFont("Arial", 48), "#ff0000");
    Label1->setGeometry(400, 24, 28, 55);
    AnswerLabel =
        makeLabel(AnswerPanel, QString(), pixelFont("Comic Sans MS", 53, true, true), "#ff0000");
    AnswerLabel->setGeometry(432, 12, 145, 73);
    const QString result[3] = {tr("结"), tr("果"), tr("是")};
    QLabel **resultLabels[3] = {&Label2, &Label3, &Label4};
    for (int i = 0; i < 3; ++i) {
        *resultLabels[i] = makeLabel(AnswerPanel, result[i], pixelFont("Arial", 32), "white");
        (*resultLabels[i])->setGeometry(24, 34 * i, 32, 36);
    }

    HintPanel = makeLabel(this, ClockLine(0, 0, 0, 0), pixelFont("Arial", 16), "#ffff00");
    HintPanel->setAlignment(Qt::AlignCenter);
    HintPanel->setStyleSheet(QStringLiteral("color: #ffff00; background: black;"));
    HintPanel->resize(HintPanelWidth, HintPanelHeight);
    Panel1 = new QWidget(HintPanel);
    Panel1->setStyleSheet(QStringLiteral("background: black;"));

    m_dialogs = new DialogWatch(this);
    connect(m_dialogs, &DialogWatch::coveredChanged, this, [this](bool covered) {
        if (m_game) m_game->PauseThinking(covered);
    });

    SetForm = new TSetForm(services.Folders.setFolder(), services.Messages, this);
    AboutForm =
        new TAboutForm(services.Folders.sharedPath(QStringLiteral("Help/index.html")), this);

    connect(SpeedButton0, &QToolButton::clicked, this,
            [this] { guarded(m_services.Messages, [&] { SpeedButton0Click(); }); });
    connect(SpeedButton1, &QToolButton::clicked, this,
            [this] { guarded(m_services.Messages, [&] { SpeedButton1Click(); }); });
    connect(SpeedButton2, &QToolButton::clicked, this,
            [this] { guarded(m_services.Messages, [&] { SpeedButton2Click(); }); });
    connect(SpeedButton3, &QToolButton::clicked, this,
            [this] { guarded(m_services.Messages, [&] { SpeedButton3Click(); }); });
    connect(Who, &QToolButton::clicked, this,
            [this] { guarded(m_services.Messages, [&] { WhoClick(); }); });
    connect(SpeedButton12, &QToolButton::clicked, this,
            [this] { guarded(m_services.Messages, [&] { SpeedButton12Click(); }); });
    connect(BackNumberButton, &QToolButton::clicked, this,
            [this] { guarded(m_services.Messages, [&] { BackNumberButtonClick(); }); });

    auto timer = [this](int interval, bool active, void (TMainForm::*slot)()) {
        auto *t = new QTimer(this);
        t->setInterval(interval);
        connect(t, &QTimer::timeout, this,
                [this, slot] { guarded(m_services.Messages, [&] { (this->*slot)(); }); });
        if (active) t->start();
        return t;
    };
    Timer1 = timer(100, false, &TMainForm::Timer1Timer);
    Timer2 = timer(5000, true, &TMainForm::Timer2Timer);
    WaitTimer = timer(50, true, &TMainForm::WaitTimerTimer);
    HowMuchTimer = timer(1000, true, &TMainForm::HowMuchTimerTimer);
    ReactionTimer = timer(0, false, &TMainForm::ReactionTimerTimer);
    ReactionTimer->setSingleShot(true);
    ReactionTimer->setTimerType(Qt::PreciseTimer);

    guarded(m_services.Messages, [&] { FormCreate(); });
}

TMainForm::~TMainForm()
{
    // FormDestroy: the controller goes with the window.
    Timer1->stop();
    m_game.reset();
}

void TMainForm::FormCreate()
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);
    AnswerLabel->clear();
    Hours = Minutes = Seconds = 0;
    MoneyImage->setPixmap(artPixmap(QStringLiteral(":/art/coin.jpg"), devicePixelRatioF()));
}

QRect TMainForm::SceneRect() const
{
    return m_game ? m_game->scene().Rect() : QRect();
}

QPoint TMainForm::SceneDeviceOrigin() const
{
    if (!m_game) return {};
    const qreal ratio = m_game->scene().PixelRatio();
    return QPoint(toDevicePixels(SceneRect().left(), ratio),
                  toDevicePixels(SceneRect().top(), ratio));
}

void TMainForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shown) return;
    m_shown = true;
    QString error;
    if (!guarded(
            m_services.Messages, [&] { FormShow(); }, &error) &&
        !m_game)
        ShowStartFailure(error);
}

void TMainForm::ShowStartFailure(const QString &error)
{
    const QList<QWidget *> gameControls = {AnswerPanel, Who,       MoneyImage,   MoneyLabel1,
                                           MoneyLabel2, HintPanel, SpeedButton1, SpeedButton3};
    for (QWidget *w : gameControls)
        w->hide();
    AnswerLabel->clear();
    if (!FailureLabel) {
        FailureLabel = new QLabel(this);
        FailureLabel->setWordWrap(true);
        FailureLabel->setTextFormat(Qt::RichText);
        FailureLabel->setFont(pixelFont("Arial", 22));
        FailureLabel->setStyleSheet(
            QStringLiteral("QLabel { color: white; background: #1d2a33; border: 3px solid #e0b84a;"
                           " border-radius: 18px; padding: 24px; }"));
    }
    FailureLabel->setText(StartFailureText(error));
    // Between the player button and the small buttons, where the scene would stand.
    const int left = Who->geometry().right() + 30;
    const int right = SpeedButton0->geometry().left() - 30;
    const int width = std::min(760, std::max(200, right - left));
    const int height = FailureLabel->heightForWidth(width);
    const QSize area = screen() ? screen()->geometry().size() : size();
    FailureLabel->setGeometry(left + std::max(0, (right - left - width) / 2),
                              std::max(20, (area.height() - height) / 2), width, height);
    FailureLabel->show();
}

void TMainForm::FormShow()
{
    const QSize screenSize = screen() ? screen()->geometry().size() : size();
    const MainLayout l = ComputeLayout(screenSize.width(), screenSize.height());
    Who->setGeometry(l.Who);
    AnswerPanel->setGeometry(l.AnswerPanel);
    SpeedButton0->setGeometry(l.SpeedButton0);
    SpeedButton1->setGeometry(l.SpeedButton1);
    SpeedButton2->setGeometry(l.SpeedButton2);
    SpeedButton3->setGeometry(l.SpeedButton3);
    MoneyImage->setGeometry(l.MoneyImage);
    MoneyLabel1->move(l.MoneyLabel1.topLeft());
    MoneyLabel2->move(l.MoneyLabel2.topLeft());

    SceneGeometry g;
    g.ScreenWidth = screenSize.width();
    g.ScreenHeight = screenSize.height();
    g.Who = l.Who;
    g.AnswerPanelHeight = l.AnswerPanel.height();
    g.MoneyImage = l.MoneyImage;
    g.PixelRatio = devicePixelRatioF();
    m_game = std::make_unique<Session>(m_services, g);
    // The scene is drawn straight into the window's pixels: no second copy of a whole screen.
    m_game->scene().ComposeOnPaint();
    m_game->Start();
    Timer1->start();
    ShowPlayer();
    HintPanel->setGeometry(l.HintPanel);
    Panel1->setGeometry(l.HintPanel.width() - 57, 0, 57, l.HintPanel.height());
    if (!m_game->scene().Surround().isEmpty()) DressForSurround(*this);
}

void TMainForm::keyPressEvent(QKeyEvent *event)
{
    const int digit = KeyDigit(event->key(), event->nativeScanCode());
    guarded(m_services.Messages,
            [&] { FormKeyDown(digit >= 0 ? Qt::Key_0 + digit : event->key()); });
}

void TMainForm::FormKeyDown(int key)
{
    if (key == Qt::Key_Escape) {
        if (!AnswerLabel->text().isEmpty()) {
            AnswerLabel->clear();
        } else if (m_services.Messages.askYesNo(tr("结束游戏吗？"), tr("询问"))) {
            close();
        }
        return;
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        // Without a game the answer field is hidden: a digit would only hold up Esc.
        if (m_game && AnswerLabel->text().size() < KeyboardDigits) {
            AnswerLabel->setText(AnswerLabel->text() + QChar('0' + (key - Qt::Key_0)));
            m_game->Typed();
        }
        return;
    }
    if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
        SpeedButton12Click();
        return;
    }
    if (key == Qt::Key_Backspace) BackNumberButtonClick();
}

void TMainForm::NumberButtonClick(QToolButton *button)
{
    if (!m_game || m_game->ProblemFinished()) return;
    AnswerLabel->setText(AnswerLabel->text() + button->text());
    m_game->Typed();
}

void TMainForm::BackNumberButtonClick()
{
    QString text = AnswerLabel->text();
    if (!text.isEmpty()) {
        text.chop(1);
        AnswerLabel->setText(text);
    }
}

void TMainForm::SpeedButton12Click()
{
    int32_t value = 0;
    if (!isAnswerInteger(AnswerLabel->text(), value)) return;
    if (!m_game || !m_game->CanAnswer()) return;
    AnswerLabel->clear();
    const AnswerOutcome outcome = m_game->Submit(value);
    if (outcome.Finished || !outcome.Right) ShowMoney();
    FollowCourse(m_game->Advance());
}

void TMainForm::FollowCourse(int32_t ms)
{
    SpeedButton12->setEnabled(!m_game || !m_game->Busy());
    if (ms >= 0) ReactionTimer->start(ms);
}

void TMainForm::Timer1Timer()
{
    if (!m_game) return;
    if (!m_soundOpened) {
        // Once the first frame is out, not before: the start never waits for the sound server.
        m_soundOpened = true;
        m_services.Sound.openOutput();
    }
    if (m_game->scene().Surround().takeSharper()) update();
    m_game->Tick();
    const QRegion changed = m_game->scene().TakeChanged();
    const qreal ratio = m_game->scene().PixelRatio();
    const QPoint origin = SceneDeviceOrigin();
    QRegion area;
    for (const QRect &r : changed) {
        const QRectF device(r.translated(origin));
        // A pixel more all round, so the window's own rounding cannot leave an edge behind.
        area += QRectF(device.topLeft() / ratio, device.size() / ratio)
                    .toAlignedRect()
                    .adjusted(-1, -1, 1, 1);
    }
    if (!area.isEmpty()) update(area);
}

void TMainForm::Timer2Timer()
{
    if (m_game) m_game->ThinkCue();
}

void TMainForm::WaitTimerTimer()
{
    if (m_game) FollowCourse(m_game->CountDown(50));
}

void TMainForm::ReactionTimerTimer()
{
    if (m_game) FollowCourse(m_game->Advance());
}

void TMainForm::HowMuchTimerTimer()
{
    if (++Seconds == 60) {
        Seconds = 0;
        if (++Minutes == 60) {
            Minutes = 0;
            ++Hours;
        }
    }
    HintPanel->setText(ClockLine(Hours, Minutes, Seconds, m_game ? m_game->SolvedCount() : 0));
}

void TMainForm::WhoClick()
{
    if (!m_game) return;
    m_game->NextPlayer();
    ShowPlayer();
}

void TMainForm::ShowPlayer()
{
    const int picture = m_game->PlayerPicture();
    if (picture >= 0 && picture < ImageList1.size()) {
        QPixmap &art = ImageList1[picture];
        if (art.isNull()) {
            art = artPixmap(QStringLiteral(":/art/player%1.png").arg(picture), devicePixelRatioF());
            if (m_onPanels) art = PanelPicture(art);
        }
        Who->setIcon(QIcon(art));
    }
    const QString who = tr("%1做题").arg(m_game->PlayerName());
    // The style's own margins around the text.
    Who->setFont(fitting(pixelFont("Arial", 29), who, Who->width() - 8));
    Who->setText(who);
    Who->repaint();
    ShowMoney();
}

void TMainForm::ShowMoney()
{
    MoneyLabel1->setText(tr("%1个").arg(m_game->PlayerGold()));
    MoneyLabel2->setText(tr("%1个").arg(m_game->PlayerSilver()));
    MoneyLabel1->adjustSize();
    MoneyLabel2->adjustSize();
}

void TMainForm::SpeedButton0Click()
{
    close();
}

void TMainForm::SpeedButton1Click()
{
    if (SetForm->exec() == QDialog::Accepted) ApplySettings();
}

void TMainForm::SpeedButton2Click()
{
    AboutForm->exec();
}

void TMainForm::SpeedButton3Click()
{
    if (!m_game) return;
    TReportForm report(m_game->controller().journal(), m_game->clock(), this);
    std::vector<ReportPlayer> players;
    for (int32_t p : {0, 2, 3, 4})
        players.push_back({p, m_game->bank().NameOf(p)});
    if (SkillModel *skills = m_game->controller().skills())
        report.KeepFluency = [skills](int64_t ms) { skills->setFluencyThresholdMs(ms); };
    report.setPlayers(players, m_game->Player());
    report.RefuseName = [this](int32_t player, const QString &name) {
        return m_game->RenameRefusal(player, name);
    };
    report.Rename = [this](int32_t player, const QString &name) {
        QString saved;
        guarded(m_services.Messages, [&] {
            if (m_game->RenamePlayer(player, name)) saved = m_game->bank().NameOf(player);
            ShowPlayer();
        });
        return saved;
    };
    // The teacher's machine may read the whole class.
    if (const ClassLink *link = m_game->classLink(); link && link->canReadClass())
        report.offerClass([this, link, &report] {
            TClassReportForm(link->settings(), m_game->clock(), &report).exec();
        });
    report.exec();
}

void TMainForm::ApplySettings()
{
    if (!m_game) return;
    m_game->ApplySettings();
    ShowPlayer();
}

void TMainForm::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    const qreal ratio = devicePixelRatioF();
    QRegion device;
    for (const QRect &r : event->region())
        device += QRectF(QPointF(r.topLeft()) * ratio, QSizeF(r.size()) * ratio).toAlignedRect();
    QImage *image = paintedImage(p);
    if (image && (image->format() == QImage::Format_RGB32 ||
                  image->format() == QImage::Format_ARGB32_Premultiplied)) {
        // Straight into the window's pixels (the usual case).
        const QPoint offset = p.deviceTransform().map(QPointF(0, 0)).toPoint();
        const bool fresh = image->constBits() != m_prepared;
        m_prepared = image->constBits();
        paintInTwoBands(*image, device.translated(offset),
                        [&](QImage &band, int top, const QRegion &part) {
                            // Most of a new window buffer is written here: its pages asked
                            // for together come far quicker than one fault at a time.
                            if (fresh) prepareForWriting(band.bits(), size_t(band.sizeInBytes()));
                            PaintPixels(band, offset - QPoint(0, top), part.translated(-offset));
                        });
        return;
    }
    // Elsewhere (a grab of the window) through the painter, the scene through a picture of the
    // asked part.
    if (m_game && !m_game->scene().Surround().isEmpty()) {
        m_game->scene().Surround().paint(p, device);
    } else {
        const QRect scene = SceneRect();
        for (const QRect &r : event->region().subtracted(scene.adjusted(1, 1, -1, -1)))
            p.fillRect(r, Qt::black);
    }
    if (!m_game) return;
    const Scene &scene = m_game->scene();
    const QRect part = device.boundingRect() & QRect(SceneDeviceOrigin(), scene.DeviceSize());
    if (part.isEmpty()) return;
    QImage picture(part.size(), QImage::Format_RGB32);
    scene.Paint(picture, SceneDeviceOrigin() - part.topLeft(), device.translated(-part.topLeft()));
    PaintScene(p, picture, part.topLeft(), device);
}

void TMainForm::PaintPixels(QImage &pixels, QPoint at, const QRegion &device) const
{
    QPainter p(&pixels);
    const qreal ratio = pixels.devicePixelRatio();
    p.setWorldTransform(QTransform::fromTranslate(at.x() / ratio, at.y() / ratio));
    const QRect scene = m_game ? QRect(SceneDeviceOrigin(), m_game->scene().DeviceSize()) : QRect();
    if (m_game && !m_game->scene().Surround().isEmpty()) {
        m_game->scene().Surround().paint(p, device);
    } else {
        // Black around the scene; the scene's own pixels cover its rectangle.
        p.setWorldTransform(QTransform::fromScale(1 / ratio, 1 / ratio));
        for (const QRect &r : device.subtracted(scene))
            p.fillRect(r.translated(at), Qt::black);
    }
    p.end();
    if (m_game) m_game->scene().Paint(pixels, at + scene.topLeft(), device.translated(at));
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    Timer1->stop();
    event->accept();
}

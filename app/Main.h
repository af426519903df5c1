#pragma once

#include "game/Session.h"

#include <QList>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QWidget>
#include <memory>

class QImage;
class QLabel;
class QPainter;
class QRegion;
class DialogWatch;
class QTimer;
class QToolButton;
class TAboutForm;
class TSetForm;

// Where the window's top-level controls go on a screen of the given size.
struct MainLayout
{
    QRect Who;
    QRect AnswerPanel;
    QRect SpeedButton0, SpeedButton1, SpeedButton2, SpeedButton3;
    QRect MoneyImage, MoneyLabel1, MoneyLabel2;
    QRect HintPanel;
    bool HintPanelOnTop = false;
};
MainLayout ComputeLayout(int screenWidth, int screenHeight);

// Copies the parts of a scene composed at device pixels that lie in area (device pixels of
// the painter's device) to at, pixel for pixel.
void PaintScene(QPainter &p, const QImage &scene, QPoint at, const QRegion &area);

// "做题耗时01:02:03      做题总数5道"
QString ClockLine(int hours, int minutes, int seconds, int solved);

// What the window says when the game could not start: the error, and what helps.
QString StartFailureText(const QString &error);

// The keyboard takes answers up to the longest an engine asks for: 999 + 999 = 1998.
inline constexpr int KeyboardDigits = 4;
// The digit a key types, or -1: by its key code, or for the main keyboard's digit row by
// the key's place (its XKB keycode), whatever the layout and Shift make of it.
int KeyDigit(int key, quint32 nativeScanCode);

// The game's one window: the scene, the number pad and answer, the player button, the coins,
// the clock line and the timers that drive the game. It shows the session and hands it each
// action; the rules are the session's.
class TMainForm : public QWidget
{
    Q_OBJECT

public:
    explicit TMainForm(const GameServices &services, QWidget *parent = nullptr);
    ~TMainForm() override;

    // Controls, named as the game refers to them.
    QToolButton *SpeedButton0, *SpeedButton1, *SpeedButton2, *SpeedButton3;
    QLabel *MoneyImage, *MoneyLabel1, *MoneyLabel2;
    QToolButton *Who;
    QList<QPixmap> ImageList1;
    // The controls stand on panels around a wide scene: pictures lose their black.
    bool m_onPanels = false;
    QWidget *AnswerPanel;
    QToolButton *NumberButton[10];
    QToolButton *SpeedButton12, *BackNumberButton;
    QLabel *Label1, *AnswerLabel, *Label2, *Label3, *Label4;
    QLabel *HintPanel;
    QWidget *Panel1;
    QTimer *Timer1, *Timer2, *WaitTimer, *HowMuchTimer;
    // Single shot: the next part of an answer's course, on time to the millisecond.
    QTimer *ReactionTimer;
    // Shown instead of the scene when the game could not start.
    QLabel *FailureLabel = nullptr;

    // The settings dialog and the About box, created hidden with the window and reused.
    TSetForm *SetForm;
    TAboutForm *AboutForm;

    int Hours = 0, Minutes = 0, Seconds = 0;

    Session *Game() const { return m_game.get(); }
    QRect SceneRect() const;
    // The scene's top-left corner in device pixels of the window.
    QPoint SceneDeviceOrigin() const;

public slots:
    void FormShow();
    void SpeedButton12Click();
    void BackNumberButtonClick();
    void NumberButtonClick(QToolButton *button);
    void WhoClick();
    void SpeedButton0Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    // "成绩": the parents' report, modal.
    void SpeedButton3Click();
    void Timer1Timer();
    void Timer2Timer();
    void WaitTimerTimer();
    void ReactionTimerTimer();
    void HowMuchTimerTimer();
    void ShowPlayer();
    void ShowMoney();
    // After the settings were accepted: reread them and start a new problem at once.
    void ApplySettings();
    // No game could be built: says why where the scene would be; only exit, About and Esc
    // stay.
    void ShowStartFailure(const QString &error);

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    void FormKeyDown(int key);
    // The surround (or black) and the scene in device (device pixels of the window), written
    // into pixels with the window's top-left corner at at.
    void PaintPixels(QImage &pixels, QPoint at, const QRegion &device) const;
    // Follows the answer's course: the submit button greyed while it runs, and the next part
    // of it asked for on time (ms from now; none when negative).
    void FollowCourse(int32_t ms);
    GameServices m_services;
    std::unique_ptr<Session> m_game;
    // The window buffer whose pages were last asked for at once.
    const uchar *m_prepared = nullptr;
    bool m_soundOpened = false;
    // A dialog over the game stops the child's time on the step.
    DialogWatch *m_dialogs;
    bool m_shown = false;
};

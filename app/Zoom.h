#pragma once

#include <QByteArray>
#include <QSizeF>
#include <memory>

// The one zoom of the whole window on a screen of this size in logical pixels: 1 up to
// 1024 x 768 and below, and above it as large as the 1024 x 768 layout fits.
qreal ZoomForScreen(QSizeF screen);

// The scale factor the application starts with: the zoom times the user's own
// QT_SCALE_FACTOR (as given in the environment; 1 when unset or not a positive number).
qreal StartScaleFactor(QSizeF screen, const QByteArray &userFactor);

// The user's own scaling variables as they were before the start zoom set them.
struct UserScaling
{
    bool factorSet = false;
    QByteArray factor;
    bool highDpiSet = false;
    QByteArray highDpi;
    // What the screen was read through, kept until the application has its own connection.
    std::shared_ptr<void> screenConnection;
};

// Decides the zoom before the application object exists: Qt takes its scale factor when the
// application starts. The screen is read from the platform directly where it can be (X, the
// offscreen platform), in device pixels, with Qt's own DPI scaling left out so the zoom is
// the whole factor; elsewhere a short-lived application looks at the primary screen first.
// Returns what the real application's start is to put back. mayStartAgain lets a zoomed game
// start itself again first with large pages for its pictures (startWithHugePages).
UserScaling ApplyStartZoom(int argc, char **argv, bool mayStartAgain = false);
// Once the application exists: the user's own variables again, so that programs the game
// starts (the web browser) are not zoomed with it.
void RestoreUserScaleFactor(UserScaling &user);

#pragma once

#include <QByteArray>
#include <QSizeF>

// The one zoom of the whole window on a screen of this size in logical pixels: 1 up to
// 1024 x 768 and below, and above it as large as the 1024 x 768 layout fits.
qreal ZoomForScreen(QSizeF screen);

// The scale factor the application starts with: the zoom times the user's own
// QT_SCALE_FACTOR (as given in the environment; 1 when unset or not a positive number).
qreal StartScaleFactor(QSizeF screen, const QByteArray &userFactor);

// Decides the zoom before the application object exists. Qt takes its scale factor when the
// application starts, and the screen is known only after that, so a short-lived application
// looks at the primary screen first; then QT_SCALE_FACTOR is set for the real one.
void ApplyStartZoom(int argc, char **argv);
// Once the application exists: the user's own QT_SCALE_FACTOR again, so that programs the
// game starts (the web browser) are not zoomed with it.
void RestoreUserScaleFactor();

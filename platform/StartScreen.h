#pragma once

#include <QByteArray>
#include <QSize>
#include <QStringList>
#include <memory>
#include <optional>

// The platform Qt will start on, as its name and options ("offscreen:configfile=/x.json"):
// the -platform argument, else QT_QPA_PLATFORM, else X or Wayland as the desktop session says.
// Only the first of a list of fallbacks ("wayland;xcb") counts.
QString startPlatform(const QStringList &args, const QByteArray &qpaPlatform,
                      const QByteArray &sessionType);

// The primary screen's size in device pixels on the offscreen platform: its configuration
// file's first screen, else Qt's own 800 x 800.
QSize offscreenScreen(const QString &platform);

// The primary screen Qt is about to start on, in device pixels, read without starting Qt: the
// zoom depends on it, and Qt takes its scale factor when the application starts. Known on X
// (RandR's primary monitor, else the first, as Qt takes them; else the root window) and
// on the offscreen platform. Nothing where the X server does not answer or on any other
// platform: only Qt can tell there. keepOpen, when given, holds the connection to the X server:
// released only once Qt has connected, so that a server with no other client does not start
// afresh (and turn Qt away) in between.
std::optional<QSize> primaryScreenBeforeStart(const QStringList &args,
                                              std::shared_ptr<void> *keepOpen = nullptr);

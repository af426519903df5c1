#include "platform/StartScreen.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <memory>
#include <xcb/randr.h>
#include <xcb/xcb.h>

namespace {

// The value after a Qt option such as "-platform" or "-display", or its "-x=value" form.
QString argumentValue(const QStringList &args, const QString &option)
{
    for (qsizetype i = 1; i < args.size(); ++i) {
        QString a = args.at(i);
        if (a.startsWith(QLatin1String("--"))) a.remove(0, 1);
        if (a == option && i + 1 < args.size()) return args.at(i + 1);
        if (a.startsWith(option + QLatin1Char('='))) return a.mid(option.size() + 1);
    }
    return {};
}

struct XcbFree
{
    void operator()(void *p) const { std::free(p); }
};
template <typename T> using XcbReply = std::unique_ptr<T, XcbFree>;

std::optional<QSize> xcbScreen(const QByteArray &display, std::shared_ptr<void> *keepOpen)
{
    int number = 0;
    xcb_connection_t *c = xcb_connect(display.isEmpty() ? nullptr : display.constData(), &number);
    const std::shared_ptr<xcb_connection_t> connection(c, xcb_disconnect);
    if (!c || xcb_connection_has_error(c)) return std::nullopt;
    // An X server whose last client leaves starts afresh, and turns clients away meanwhile.
    if (keepOpen) *keepOpen = connection;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < number && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem) return std::nullopt;
    const xcb_screen_t *screen = it.data;
    const QSize root(screen->width_in_pixels, screen->height_in_pixels);
    // Several monitors share one root window. Qt makes a screen of every RandR monitor; the
    // primary one is the primary screen, else the first.
    const xcb_query_extension_reply_t *randr = xcb_get_extension_data(c, &xcb_randr_id);
    if (!randr || !randr->present) return root;
    XcbReply<xcb_randr_query_version_reply_t> version(
        xcb_randr_query_version_reply(c, xcb_randr_query_version(c, 1, 5), nullptr));
    if (!version || (version->major_version == 1 && version->minor_version < 5)) return root;
    XcbReply<xcb_randr_get_monitors_reply_t> monitors(
        xcb_randr_get_monitors_reply(c, xcb_randr_get_monitors(c, screen->root, 1), nullptr));
    if (!monitors) return root;
    std::optional<QSize> found;
    for (auto m = xcb_randr_get_monitors_monitors_iterator(monitors.get()); m.rem;
         xcb_randr_monitor_info_next(&m)) {
        if (!found || m.data->primary) found = QSize(m.data->width, m.data->height);
        if (m.data->primary) break;
    }
    return found.value_or(root);
}

} // namespace

QString startPlatform(const QStringList &args, const QByteArray &qpaPlatform,
                      const QByteArray &sessionType)
{
    QString platform = argumentValue(args, QStringLiteral("-platform"));
    if (platform.isEmpty()) platform = QString::fromLocal8Bit(qpaPlatform);
    if (platform.isEmpty())
        platform = sessionType == "wayland" ? QStringLiteral("wayland") : QStringLiteral("xcb");
    return platform.section(QLatin1Char(';'), 0, 0);
}

QSize offscreenScreen(const QString &platform)
{
    const QStringList options = platform.split(QLatin1Char(':')).mid(1);
    for (const QString &o : options) {
        if (!o.startsWith(QLatin1String("configfile="))) continue;
        QFile file(o.mid(int(sizeof "configfile=") - 1));
        if (!file.open(QIODevice::ReadOnly)) break;
        const QJsonArray screens = QJsonDocument::fromJson(file.readAll())
                                       .object()
                                       .value(QLatin1String("screens"))
                                       .toArray();
        if (screens.isEmpty()) break;
        const QJsonObject s = screens.first().toObject();
        return QSize(s.value(QLatin1String("width")).toInt(),
                     s.value(QLatin1String("height")).toInt());
    }
    return QSize(800, 800);
}

std::optional<QSize> primaryScreenBeforeStart(const QStringList &args,
                                              std::shared_ptr<void> *keepOpen)
{
    const QString platform =
        startPlatform(args, qgetenv("QT_QPA_PLATFORM"), qgetenv("XDG_SESSION_TYPE"));
    const QString name = platform.section(QLatin1Char(':'), 0, 0);
    if (name == QLatin1String("offscreen")) return offscreenScreen(platform);
    if (name != QLatin1String("xcb")) return std::nullopt;
    QString display = argumentValue(args, QStringLiteral("-display"));
    if (display.isEmpty()) display = QString::fromLocal8Bit(qgetenv("DISPLAY"));
    return xcbScreen(display.toLocal8Bit(), keepOpen);
}

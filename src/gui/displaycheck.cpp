#include "gui/displaycheck.h"

#include <QString>
#include <QStringList>

bool DisplayCheck::available()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    const bool x11 = !qEnvironmentVariable("DISPLAY").isEmpty();
    const bool wayland = !qEnvironmentVariable("WAYLAND_DISPLAY").isEmpty();
    const QString platforms = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (platforms.isEmpty())
        return x11 || wayland;
    // "wayland;xcb" is tried in turn; "xcb:option=value" carries options.
    for (const QString& platform : platforms.split(u';', Qt::SkipEmptyParts)) {
        const QString name = platform.section(u':', 0, 0);
        if (name == QLatin1String("xcb")) {
            if (x11)
                return true;
        } else if (name.startsWith(QLatin1String("wayland"))) {
            if (wayland)
                return true;
        } else {
            // offscreen, minimal, vnc, eglfs, linuxfb: no display server.
            return true;
        }
    }
    return false;
#else
    return true;
#endif
}

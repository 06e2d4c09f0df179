#include "app/DisplayProbe.h"

#include <QByteArray>
#include <QLibrary>
#include <QList>

bool DisplayReachable()
{
    const QByteArray chosen = qgetenv("QT_QPA_PLATFORM");
    if (!chosen.isEmpty()) {
        // "name:options", or a list of such tried in turn: a display exists when one of them draws.
        for (const QByteArray& entry : chosen.split(';')) {
            const QByteArray name = entry.left(entry.indexOf(':')).trimmed();
            if (!name.isEmpty() && name != "offscreen" && name != "minimal")
                return true;
        }
        return false;
    }
    // The same test the toolkit's X platform makes: a connection that the server accepts. The
    // library is loaded only here, so the program needs no X library where there is no display.
    QLibrary xcb(QStringLiteral("xcb"), 1);
    if (!xcb.load())
        return false;
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    using Disconnect = void (*)(void*);
    const auto connect = reinterpret_cast<Connect>(xcb.resolve("xcb_connect"));
    const auto hasError = reinterpret_cast<HasError>(xcb.resolve("xcb_connection_has_error"));
    const auto disconnect = reinterpret_cast<Disconnect>(xcb.resolve("xcb_disconnect"));
    if (!connect || !hasError || !disconnect)
        return false;
    void* connection = connect(nullptr, nullptr);
    if (!connection)
        return false;
    const bool reachable = hasError(connection) == 0;
    disconnect(connection); // an erroneous connection is freed the same way
    return reachable;
}

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "daemon_fuzzing.h"

#include "private_desktop.h"
#include "system_files.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include <cstdlib>

// Present only in builds with the leak checker.
extern "C" void __lsan_do_leak_check() __attribute__((weak));

namespace {

void discardMessage(QtMsgType, const QMessageLogContext &, const QString &) {}

// Waits until the bus daemon has answered everything sent before: the calls
// the slots sent without waiting go to names no one owns here, so the bus
// daemon itself answers them, in order.
void settle(const QDBusConnection &bus)
{
    bus.call(QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")));
}

// Checks for leaks while the buses still run and nothing is in flight. Left
// to the end of the process, the check would meet the D-Bus library halfway
// through its own shutdown, with calls still unanswered as the private buses
// stop, and report what it was holding for them.
void checkLeaksOnQuietBuses()
{
    QCoreApplication::processEvents();
    settle(QDBusConnection::sessionBus());
    settle(QDBusConnection::systemBus());
    QCoreApplication::processEvents();
    if (__lsan_do_leak_check)
        __lsan_do_leak_check();
}

} // namespace

void silenceMessages()
{
    qInstallMessageHandler(discardMessage);
}

void setUpPluginWorld()
{
    // Before any thread exists, which the namespace requires.
    static const PrivateSystem system;
    if (!PrivateSystem::isActive()) {
        std::fprintf(stderr, "no private mount namespace with overlays over /etc\n");
        std::exit(77); // NOLINT(concurrency-mt-unsafe): no other thread exists yet
    }
    writeFile(QStringLiteral("/etc/ostrel-edition"), "EditionType=3\n");
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static const PrivateDesktop desktop;
    if (!desktop.isValid()) {
        std::fprintf(stderr, "cannot start the private desktop (dbus-daemon, dconf)\n");
        std::abort();
    }
    silenceMessages();
    // The bus connections first: the check then runs before they, the desktop
    // and the application object are destroyed.
    settle(QDBusConnection::sessionBus());
    settle(QDBusConnection::systemBus());
    if (std::atexit(checkLeaksOnQuietBuses) != 0) {
        std::fprintf(stderr, "cannot register the leak check\n");
        std::abort();
    }
}

QString textOf(const std::uint8_t *data, std::size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(data), int(size));
}

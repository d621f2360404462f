// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "daemon_fuzzing.h"

#include "private_desktop.h"
#include "system_files.h"

namespace {

void discardMessage(QtMsgType, const QMessageLogContext &, const QString &) {}

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
}

QString textOf(const std::uint8_t *data, std::size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(data), int(size));
}

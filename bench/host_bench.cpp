// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The session host's resident memory with the plug-in loaded and idle,
// against the same host with an empty plug-in, and the time from the call of
// KpxRegister to the first "SetSystemProxy" reaching the daemon peer. Runs on
// private buses with private dconf; median of several rounds.

#include "bench_util.h"
#include "private_desktop.h"
#include "session_processes.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kRounds = 5;

qint64 registerTime(Host &host)
{
    const QStringList lines = host.outputLines();
    const auto line = std::find_if(lines.cbegin(), lines.cend(), [](const QString &text) {
        return text.startsWith(QLatin1String("calling KpxRegister at "));
    });
    return line == lines.cend() ? -1 : line->section(QLatin1Char(' '), 3, 3).toLongLong();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    PrivateDesktop desktop;
    if (!desktop.isValid()) {
        std::fprintf(stderr, "cannot start the private desktop\n");
        return 1;
    }
    Peer daemon;
    if (!daemon.start(QStringLiteral(DAEMON_PEER_PATH)))
        return 1;

    QList<double> withPlugin, withoutPlugin, dirtyWith, dirtyWithout, startup;
    for (int round = 0; round < kRounds; ++round) {
        Host host;
        if (!host.start({}))
            return 1;
        const int before = daemon.calls(QStringLiteral("SetSystemProxy")).size();
        QElapsedTimer wait;
        wait.start();
        while (daemon.calls(QStringLiteral("SetSystemProxy")).size() == before &&
               wait.elapsed() < 10000)
            QTest::qWait(5);
        const QJsonObject first = daemon.calls(QStringLiteral("SetSystemProxy")).value(before);
        startup.append(
            (first.value(QLatin1String("time")).toDouble() - double(registerTime(host))) / 1e6);
        QTest::qWait(1000); // idle
        withPlugin.append(memoryKiB(host.pid(), "Rss"));
        dirtyWith.append(memoryKiB(host.pid(), "Private_Dirty"));
        host.stop();

        Host empty(QStringLiteral(EMPTY_PLUGIN_PATH));
        if (!empty.start({}))
            return 1;
        QTest::qWait(1000);
        withoutPlugin.append(memoryKiB(empty.pid(), "Rss"));
        dirtyWithout.append(memoryKiB(empty.pid(), "Private_Dirty"));
        empty.stop();
    }

    const double loaded = median(withPlugin), bare = median(withoutPlugin);
    const double dirty = median(dirtyWith), dirtyBare = median(dirtyWithout);
    std::printf("host resident memory, idle: with the plug-in %.0f KiB, with an empty plug-in "
                "%.0f KiB: plug-in's share %.2f MiB (ratio %.2f)\n",
                loaded, bare, (loaded - bare) / 1024, loaded / bare);
    std::printf("of which private dirty: %.0f KiB against %.0f KiB: plug-in's share %.2f MiB "
                "(ratio %.2f)\n",
                dirty, dirtyBare, (dirty - dirtyBare) / 1024, dirty / dirtyBare);
    std::printf("KpxRegister to the first SetSystemProxy at the daemon: %.1f ms "
                "(median of %d rounds)\n",
                median(startup), kRounds);
    return 0;
}

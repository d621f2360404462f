// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The session host's memory with the plug-in loaded and idle, against the
// same host with an empty plug-in; the time from the call of KpxRegister to
// the first "SetSystemProxy" reaching the daemon peer; and how long
// KpxRegister takes beside a daemon that answers nothing, against a daemon
// that answers. Runs on private buses with private dconf; median of several
// rounds.

#include "bench_util.h"
#include "private_desktop.h"
#include "session_processes.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

constexpr int kRounds = 5;
// The plug-in's share of the host's private dirty memory at start, at most.
constexpr double kStartTargetKiB = 1024;

// The monotonic time in the host's output line that begins with prefix.
qint64 hostTime(Host &host, const char *prefix)
{
    const QStringList lines = host.outputLines();
    const auto line = std::find_if(lines.cbegin(), lines.cend(), [prefix](const QString &text) {
        return text.startsWith(QLatin1String(prefix));
    });
    return line == lines.cend() ? -1 : line->section(QLatin1Char(' '), -2, -2).toLongLong();
}

// Milliseconds KpxRegister took in a host started beside the daemon peer.
double registerMilliseconds(Host &host)
{
    return double(hostTime(host, "KpxRegister returned at ") -
                  hostTime(host, "calling KpxRegister at ")) /
           1e6;
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
    auto daemon = std::make_unique<Peer>();
    if (!daemon->start(QStringLiteral(DAEMON_PEER_PATH)))
        return 1;

    QList<double> withPlugin, withoutPlugin, dirtyWith, dirtyWithout, startup, registering;
    for (int round = 0; round < kRounds; ++round) {
        Host host;
        if (!host.start({}))
            return 1;
        registering.append(registerMilliseconds(host));
        const int before = daemon->calls(QStringLiteral("SetSystemProxy")).size();
        QElapsedTimer wait;
        wait.start();
        while (daemon->calls(QStringLiteral("SetSystemProxy")).size() == before &&
               wait.elapsed() < 10000)
            QTest::qWait(5);
        const QJsonObject first = daemon->calls(QStringLiteral("SetSystemProxy")).value(before);
        startup.append((first.value(QLatin1String("time")).toDouble() -
                        double(hostTime(host, "calling KpxRegister at "))) /
                       1e6);
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

    // The daemon owns its name and answers nothing.
    daemon = std::make_unique<Peer>();
    if (!daemon->start(QStringLiteral(DAEMON_PEER_PATH), {QStringLiteral("--hang")}))
        return 1;
    QList<double> registeringHung;
    for (int round = 0; round < kRounds; ++round) {
        Host host;
        if (!host.start({}))
            return 1;
        registeringHung.append(registerMilliseconds(host));
        host.stop();
    }

    const double loaded = median(withPlugin), bare = median(withoutPlugin);
    const double dirty = median(dirtyWith), dirtyBare = median(dirtyWithout);
    std::printf("host resident memory, idle: with the plug-in %.0f KiB, with an empty plug-in "
                "%.0f KiB: plug-in's share %.2f MiB (ratio %.2f)\n",
                loaded, bare, (loaded - bare) / 1024, loaded / bare);
    std::printf("of which private dirty: %.0f KiB against %.0f KiB: plug-in's share %.0f KiB "
                "(ratio %.2f; %.2f of the %.0f KiB allowed)\n",
                dirty, dirtyBare, dirty - dirtyBare, dirty / dirtyBare,
                (dirty - dirtyBare) / kStartTargetKiB, kStartTargetKiB);
    std::printf("KpxRegister to the first SetSystemProxy at the daemon: %.1f ms "
                "(median of %d rounds)\n",
                median(startup), kRounds);
    std::printf("KpxRegister beside a daemon that answers nothing: %.1f ms, beside one that "
                "answers: %.1f ms (ratio %.2f; %.3f of the 1000 ms allowed)\n",
                median(registeringHung), median(registering),
                median(registeringHung) / median(registering), median(registeringHung) / 1000);
    return 0;
}

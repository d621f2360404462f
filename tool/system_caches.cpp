// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "system_caches.h"

#include <QDebug>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ; // NOLINT(readability-redundant-declaration): posix_spawn's environment

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

// Far beyond the slowest runs these tools are known for.
constexpr std::chrono::minutes kTimeLimit{10};

void sleepFor(milliseconds duration)
{
    const timespec pause = {time_t(duration.count() / 1000),
                            long(duration.count() % 1000) * 1000000};
    nanosleep(&pause, nullptr);
}

// Runs command in a process group of its own; false when it had to be stopped.
bool runWithin(const QByteArray &command, milliseconds limit)
{
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    QByteArray text = command;
    char bash[] = "bash";
    char dashC[] = "-c";
    char *const argv[] = {bash, dashC, text.data(), nullptr};
    pid_t pid = 0;
    const int started = posix_spawnp(&pid, "bash", nullptr, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    if (started != 0)
        return true;

    const steady_clock::time_point deadline = steady_clock::now() + limit;
    milliseconds pause{1};
    for (;;) {
        const pid_t ended = waitpid(pid, nullptr, WNOHANG);
        if (ended == pid || (ended < 0 && errno != EINTR))
            return true;
        const steady_clock::time_point now = steady_clock::now();
        if (now >= deadline)
            break;
        sleepFor(std::min(
            {pause, std::chrono::duration_cast<milliseconds>(deadline - now) + milliseconds(1)}));
        pause = std::min(pause * 2, milliseconds(50));
    }
    kill(-pid, SIGKILL);
    // Every member of the group is this process's child by now (it is their
    // subreaper): wait until none is left.
    for (;;) {
        if (waitpid(-pid, nullptr, 0) < 0 && errno != EINTR)
            break;
    }
    return false;
}

} // namespace

void runCacheCommands(const QList<QByteArray> &commands, milliseconds limit)
{
    // Orphans of a stopped command come to this process, so it can wait for them.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    for (const QByteArray &command : commands) {
        if (!runWithin(command, limit))
            qDebug() << "cache command ran too long, stopped:" << QString::fromLatin1(command);
    }
}

void updateSystemCaches()
{
    // Each tool silences itself; a failure of one never stops the next.
    runCacheCommands({"glib-compile-schemas /usr/share/glib-2.0/schemas/ > /dev/null 2>&1",
                      "update-desktop-database -q > /dev/null 2>&1",
                      "update-mime-database -V /usr/share/mime > /dev/null 2>&1",
                      "update-icon-caches /usr/share/icons/* > /dev/null 2>&1"},
                     kTimeLimit);
}

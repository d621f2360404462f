// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include "system_overlay.h"

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <sys/resource.h>

// Lets a test run the linker against the real fixed paths without touching the
// host: the test process moves into a private mount namespace once, and each
// test gets copy-on-write overlays over /opt, /usr/share, /etc and /usr/lib,
// with an empty /opt/apps and an empty /run/lock, that vanish when the test
// ends.
class SystemSandbox
{
public:
    // Enters the private namespace; returns false (with the reason) where
    // namespaces or mounts are not available.
    static bool enterPrivateNamespace(QString *reason)
    {
        return enterPrivateMountNamespace(reason, true);
    }

    bool setUp();
    void tearDown();

    // Everything the run changed below mountPoint, as the overlay records it.
    QByteArray upperDir(const QByteArray &mountPoint) const
    {
        return m_overlay.upperDir(mountPoint);
    }

    // Bind-remounts mountPoint read-only until unmount(mountPoint).
    bool makeReadOnly(const QByteArray &mountPoint) { return m_overlay.makeReadOnly(mountPoint); }
    // Removes the last mount this sandbox made at mountPoint.
    void unmount(const QByteArray &mountPoint) { m_overlay.unmount(mountPoint); }
    // Gives the file system that holds what the runs write room to spare, or
    // leaves it no inode, or no block, beyond those in use.
    enum class Room { Plenty, NoInodes, NoBlocks };
    bool setRoom(Room room);
    // Mounts a tmpfs with room for the given number of inodes (0: the default)
    // at path, created if needed, for the rest of the test.
    bool mountTmpfs(const QByteArray &path, int inodes);

private:
    std::unique_ptr<QTemporaryDir> m_scratch;
    SystemOverlay m_overlay;
};

struct LinkerRun
{
    int exitCode = -1;
    bool crashed = true;
    QByteArray standardError;
};

// Runs the real app-entries-linker binary with env as its environment and, if
// openFiles is not 0, that limit on its open files.
LinkerRun runLinker(const QProcessEnvironment &env = QProcessEnvironment(), rlim_t openFiles = 0);
// Starts one run for each environment at once and waits for all of them.
QList<LinkerRun> runLinkers(const QList<QProcessEnvironment> &envs, rlim_t openFiles = 0);

// The environment tests run the linker in: the test's own, without Qt's
// message and logging variables, with extra set.
QProcessEnvironment linkerEnvironment(const QString &messagePattern = QString());

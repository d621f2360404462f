// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The mount-namespace isolation that every test laying out system files
// uses: copy-on-write overlays over system directories, their layers kept in
// a tmpfs, inside a mount namespace of the process's own, so that the
// machine's files never change. Built against Qt 5 and Qt 6 alike.

// Moves this process into a mount namespace of its own whose mounts do not
// propagate to the machine. Where that is refused and mapToRoot is set, a new
// user namespace is entered first, the caller mapped to root in it. Returns
// false with the reason where neither works. Call it before any thread
// exists: unshare() refuses a process with threads.
bool enterPrivateMountNamespace(QString *reason, bool mapToRoot = false);

// Of dirs, those that exist.
QList<QByteArray> existingDirs(const QList<QByteArray> &dirs);

class SystemOverlay
{
public:
    SystemOverlay() = default;
    SystemOverlay(const SystemOverlay &) = delete;
    SystemOverlay &operator=(const SystemOverlay &) = delete;
    ~SystemOverlay() { tearDown(); }

    // Mounts a tmpfs at scratch (an existing directory) and a copy-on-write
    // overlay over each of dirs, with its layers in that tmpfs.
    bool setUp(const QByteArray &scratch, const QList<QByteArray> &dirs);
    // Undoes every mount, the last first. The scratch directory is empty
    // again.
    void tearDown();

    // What was written below the overlaid directory dir, as its upper layer
    // records it.
    QByteArray upperDir(const QByteArray &dir) const;
    const QByteArray &scratch() const { return m_scratch; }

    // Mounts a tmpfs with these options at path (made if missing), undone
    // with the others.
    bool mountTmpfs(const QByteArray &path, const QByteArray &options);
    // Bind-remounts path read-only, undone with the others.
    bool makeReadOnly(const QByteArray &path);
    // Undoes the last mount at path.
    void unmount(const QByteArray &path);

private:
    QByteArray m_scratch;
    QList<QByteArray> m_mounts; // in mount order
};

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include "system_overlay.h"
#include "write_file.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

// System files for a program a test starts. The program runs in a private
// mount namespace in which /etc, /usr/share and /opt are copy-on-write
// overlays (kept in a tmpfs of the namespace's own) holding the files given
// here, laid out by private_system_run; the machine's own files never
// change. Needs the right to mount.
class SystemFiles
{
public:
    // Whether this process may make such namespaces.
    static bool available();

    // Places content at the absolute path inside the namespace.
    void add(const QString &path, const QByteArray &content);
    // Drops the running user's own entry from /etc/passwd inside the namespace.
    void hideOwnPasswordEntry() { m_hideOwnEntry = true; }
    // Words to put before the program's command line (Host::start's wrapper).
    QStringList wrapper() const;

private:
    QTemporaryDir m_dir;
    QStringList m_placements; // staged file, system path, ...
    bool m_hideOwnEntry = false;
};

// The same for this process: moves it into a private mount namespace with
// overlays over /etc, /usr/share and /opt (or the given directories) kept in a
// tmpfs of its own. Make it first in main(), before any thread exists
// (unshare() refuses a process with threads); the mounts go with it.
class PrivateSystem
{
public:
    PrivateSystem();
    explicit PrivateSystem(const QList<QByteArray> &overlaid);
    // Whether this process runs in such a namespace.
    static bool isActive() { return s_active; }

private:
    QTemporaryDir m_scratch;
    SystemOverlay m_overlay; // undone before the scratch directory goes
    static bool s_active;
};

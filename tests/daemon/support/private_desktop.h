// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// Gives a test process a desktop of its own: private session and system
// buses (dconf activates on the session bus), private XDG directories and the
// build tree's GSettings schemas. Construct it first in main(), before any
// D-Bus or GLib object exists; the environment it sets is inherited by every
// program the test starts. Nothing of the machine's own buses or settings is
// touched. The buses stop when the test process exits.
class PrivateDesktop
{
public:
    PrivateDesktop();
    ~PrivateDesktop();

    bool isValid() const { return m_valid; }

private:
    bool startBus(const QByteArray &type, QByteArray *address);

    QTemporaryDir m_dir;
    bool m_valid = false;
};

// Runs a program to completion with the test's environment; returns its exit
// code (-1 when it did not finish normally).
int runTool(const QString &program, const QStringList &arguments);

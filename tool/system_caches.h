// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QByteArray>
#include <QList>

#include <chrono>

// Rebuilds the caches that depend on the linked files: GSettings schemas, the
// desktop-file database, the MIME database and the icon caches. A command
// still running after 10 minutes is stopped.
void updateSystemCaches();

// Runs each command with "bash -c", one after the other, waiting for each at
// most limit (updateSystemCaches gives 10 minutes; tests give less). A command
// still running then is stopped with its whole process group, which is gone
// when this returns, and named in the log; the next one runs. Exit codes and
// failures to start are ignored.
void runCacheCommands(const QList<QByteArray> &commands, std::chrono::milliseconds limit);

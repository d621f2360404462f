// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QByteArray>
#include <QList>

// Removes every dangling symbolic link from the directories the linker writes to.
void cleanLink();

// Removes the dangling symbolic links below dir (not descending into links or
// into directories whose names begin with a dot), and what an interrupted run
// left under the linker's temporary names; returns the paths whose removal
// failed.
QList<QByteArray> removeDeadLinks(const QByteArray &dir);

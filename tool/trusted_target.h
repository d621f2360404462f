// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QByteArray>

// Whether the linker may write in the directory dir: make links there, remove
// dangling ones, create it. Where dir does not exist, its nearest directory
// above that does is judged.
//
// A path without symbolic links on the way is taken as it is. A path with
// links (merged /usr, a plug-in directory moved elsewhere) is followed only
// where it leads to a place that is the system's alone: outside the
// applications' trees under /opt/apps, owned by root, and neither that
// directory nor any above it writable by anyone else. Anything else (a place
// a user could change, an application's own tree) is left alone, as if the
// target directory were missing.
bool isTrustedTarget(const QByteArray &dir);

// Whether the resolved path real lies in the applications' trees.
bool isInApplications(const QByteArray &real);

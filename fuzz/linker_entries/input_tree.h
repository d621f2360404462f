// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>

// Lays out the installation and the system state a fuzz input describes, one
// entry a line, names being the input's bytes:
//
//   dir <path>                  a directory /opt/apps/<path>
//   file <path> [<content>]     a file, holding the rest of the line
//   fifo <path>                 a named pipe
//   link <path> <content>       a symbolic link whose content is the rest of
//                               the line
//   system-dir <path>, system-file <path> [<content>], system-link <path>
//   <content>                   the same at an absolute path inside one of
//                               the target directories, or a target directory
//                               itself (only as a directory): what the system
//                               or an earlier run left there
//
// so that "file app/info {\"appid\": \"app\"}" installs an application. Paths
// are clean (no "." or ".." and no empty names). Lines that do not fit, and
// entries whose place would be reached through a symbolic link or a file, are
// passed over: nothing is made anywhere else.
//
// A link that leads to a directory outside ownRoots (/opt/apps and the
// input's own system directories) is taken away again: a run would walk the
// machine's own tree through it, as large as the machine is, and learn
// nothing there that a small tree does not show.
//
// Returns the system entries it left, the directories it made above them
// included, each described as TreeUtil::snapshot describes it.
QMap<QByteArray, QByteArray> layOutInput(const QByteArray &input,
                                         const QList<QByteArray> &targetDirs,
                                         const QList<QByteArray> &ownRoots);

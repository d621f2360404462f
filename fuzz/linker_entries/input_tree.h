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
// Returns the system entries it made, each described as TreeUtil::snapshot
// describes it.
QMap<QByteArray, QByteArray> layOutInput(const QByteArray &input,
                                         const QList<QByteArray> &targetDirs);

// Whether path lies strictly below dir.
bool isBelow(const QByteArray &path, const QByteArray &dir);

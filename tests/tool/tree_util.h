// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include "write_file.h"

#include <QByteArray>
#include <QMap>

// Small helpers for building and reading file trees in tests, by raw bytes.
namespace TreeUtil {

using ::writeFile;
inline void makeDir(const QByteArray &path)
{
    makeDirs(path);
}
void removeTree(const QByteArray &path); // ASCII paths only
void makeLink(const QByteArray &target, const QByteArray &path);
QByteArray readLink(const QByteArray &path); // empty when path is no link
bool isLink(const QByteArray &path);
bool lexists(const QByteArray &path);
unsigned long inode(const QByteArray &path); // of the entry itself, 0 if absent

// Every entry below root (not following links, dot names included), mapped to
// "dir", "file", "fifo" or "-> <link content>".
QMap<QByteArray, QByteArray> snapshot(const QByteArray &root);

} // namespace TreeUtil

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QByteArray>
#include <QString>

// Writing files for tests, by raw bytes, so that paths that are not UTF-8
// work too. Built against Qt 5 and Qt 6 alike. A failure inside a test
// function also fails that test, with the path.

// Makes path and its missing parents.
bool makeDirs(const QByteArray &path);
// Writes content to path, making the missing directories.
bool writeFile(const QByteArray &path, const QByteArray &content = QByteArray());
bool writeFile(const QString &path, const QByteArray &content);
inline bool writeFile(const char *path, const QByteArray &content = QByteArray())
{
    return writeFile(QByteArray(path), content);
}

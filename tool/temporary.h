// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QByteArray>

#include <cerrno>

// The linker builds a replacement under a temporary name beside its final
// place and then renames it into that place. The name begins with a dot, so
// no walk lists it as an entry; only the cleanup looks for such names, to
// remove what an interrupted run left behind.

// Whether name is one of the linker's temporary names.
bool isTemporaryName(const char *name);

// A fresh temporary path in dir.
QByteArray temporaryPath(const QByteArray &dir);

// Makes an entry under a fresh temporary name in dir with make(path), which
// returns false and sets errno (EEXIST when the name is taken) on failure.
// Returns the entry's path, or an empty one when none could be made.
template <typename Make> QByteArray makeTemporary(const QByteArray &dir, Make make)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        const QByteArray path = temporaryPath(dir);
        if (make(path))
            return path;
        if (errno != EEXIST)
            break;
    }
    return QByteArray();
}

// Whether the entry name with a temporary name (relative to the directory
// dirFd) is what the linker makes under such names: a symbolic link, or a
// directory holding nothing but symbolic links. Anything else is left alone.
bool isLinkerTemporary(int dirFd, const char *name);

// Removes the temporary entry name (relative to the directory dirFd, or a
// path with AT_FDCWD): a symbolic link, or a directory of symbolic links.
// Returns false when it is still there.
bool removeTemporary(int dirFd, const char *name);

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QByteArray>

// Byte-exact path helpers. File names are handled as the bytes the file system
// stores, so names that are not valid UTF-8 survive unchanged.

// Lexically normalised absolute form of path: relative paths are taken against
// the working directory, then ".", ".." and repeated slashes are resolved.
QByteArray absoluteCleanPath(const QByteArray &path);

// Directory part of path ("/a/b" gives "/a", "/a" gives "/").
QByteArray parentPath(const QByteArray &path);

// The last name of path ("/a/b" gives "b").
QByteArray baseName(const QByteArray &path);

// Whether path is dir itself or lies below it, by their names alone.
bool isAtOrBelow(const QByteArray &path, const QByteArray &dir);

// Joins a directory path and a relative path with one slash.
QByteArray joinPath(const QByteArray &dir, const QByteArray &rel);

// Content of the symbolic link at linkPath, made absolute against the link's
// directory and normalised (one level of link). Empty when it is no link.
QByteArray absoluteLinkTarget(const QByteArray &linkPath);

// A link content found at linkPath, made absolute against
// the link's directory and normalised.
QByteArray resolveLinkContent(const QByteArray &linkPath, const QByteArray &content);

// The path with every link resolved (realpath); empty where it leads nowhere.
QByteArray realPath(const QByteArray &path);

// The content of the symbolic link at linkPath, as stored; empty when it is
// no link.
QByteArray readLinkContent(const QByteArray &linkPath);

// Whether something exists at path when symbolic links are followed.
bool existsFollowingLinks(const QByteArray &path);

// Whether path is a directory when symbolic links are followed.
bool isDirectory(const QByteArray &path);

// Whether path itself is a symbolic link.
bool isSymLink(const QByteArray &path);

// Whether both paths, following symbolic links, lead to the same file.
bool isSameFile(const QByteArray &a, const QByteArray &b);

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include "plan.h"

#include <QByteArray>
#include <QHash>
#include <QList>

#include <sys/types.h>

// The file system as it will be once the planned steps are made: a path a
// step changes, or one below it, is answered from the steps, any other from
// the file system. A directory a step makes holds only what later steps put
// into it.
class PlannedTree
{
public:
    enum class Type { Missing, Link, Directory, File, Special };

    struct Entry
    {
        Type type = Type::Missing;
        QByteArray link;      // a link's content, as stored
        bool planned = false; // made by a step
        dev_t dev = 0;        // the file system's entry, unless planned
        ino_t ino = 0;
    };

    // What is at path itself, a link there not followed.
    Entry entryAt(const QByteArray &path) const;
    // What path leads to, links followed.
    Entry resolve(const QByteArray &path) const;

    bool exists(const QByteArray &path) const { return resolve(path).type != Type::Missing; }
    bool isDirectory(const QByteArray &path) const;
    bool isSameFile(const QByteArray &a, const QByteArray &b) const;
    // Whether path is, or lies below, a link a step makes.
    bool isAtOrBelowPlannedLink(const QByteArray &path) const;
    // The names of the links steps add directly in dir.
    QList<QByteArray> plannedLinkNames(const QByteArray &dir) const;

    void record(const Step &step);
    // Forgets the steps, once they are made; the file system may differ now.
    void clear()
    {
        m_nodes.clear();
        m_realDirectories.clear();
    }

private:
    enum class Node { Link, Directory, Gone };
    struct Planned
    {
        Node node = Node::Gone;
        QByteArray link;
    };

    // The planned node at path or nearest above it, with the length of its
    // path; null where none is.
    const Planned *nearest(const QByteArray &path, qsizetype *length) const;
    // The directory dir with the file system's links resolved, remembered
    // while steps are planned (they change nothing on the file system).
    QByteArray realDirectory(const QByteArray &dir) const;
    // What is at path, rewriting it past the planned links above it.
    Entry locate(QByteArray *path) const;
    // What path leads to, rewriting it to where that is.
    Entry follow(QByteArray *path) const;

    QHash<QByteArray, Planned> m_nodes;
    mutable QHash<QByteArray, QByteArray> m_realDirectories;
};

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QByteArray>
#include <QList>

#include <sys/types.h>

// One entry met by TreeWalker. The *at() pair (dirFd, name) addresses the entry
// relative to its open parent directory, which avoids re-resolving long paths.
// Its paths are made only when asked for: most entries of a large tree need
// none.
struct WalkEntry
{
    int dirFd = -1;             // open descriptor of the entry's directory
    const char *name = nullptr; // the entry's own name
    bool isDir = false;         // a real directory (never a symbolic link)
    bool isSymLink = false;     // the entry itself is a symbolic link
    bool isTemporary = false;   // one of the linker's temporary names

    // Set by the walker, from which the paths are made.
    const QByteArray *root = nullptr;
    const QByteArray *dirRelPath = nullptr; // of the entry's directory

    QByteArray relPath() const; // path below the walked root
    QByteArray path() const;    // root joined with relPath
};

// Whether the entry is a file or a directory, a symbolic link counting as what
// it points to (so no special file and no dangling link).
bool isFileOrDirectory(const WalkEntry &entry);

// Walks the tree below root (following root itself if it is a link) and yields
// every entry whose name does not begin with a dot, each directory before the
// entries below it. Real directories are descended into unless skipChildren()
// is called for them; symbolic links never are. A root that cannot be opened
// as a directory yields nothing. Names are the file system's bytes.
//
// Only the directory being listed is held open, whatever the depth: a
// directory's names are read when it is entered, and its parent is opened
// again through ".." on the way back. So a tree deeper than the process may
// open descriptors is walked whole. Should the parent met there not be the
// directory left (the tree was moved meanwhile), the walk ends.
//
// With ListTemporaries the linker's temporary names are yielded too, though
// they begin with a dot; they are never descended into.
class TreeWalker
{
public:
    enum Depth { Recursive, TopLevelOnly };
    enum Temporaries { SkipTemporaries, ListTemporaries };

    explicit TreeWalker(const QByteArray &root, Depth depth = Recursive,
                        Temporaries temporaries = SkipTemporaries);
    ~TreeWalker();
    TreeWalker(const TreeWalker &) = delete;
    TreeWalker &operator=(const TreeWalker &) = delete;

    // Moves to the next entry; false when the walk is over.
    bool next();
    const WalkEntry &entry() const { return m_entry; }
    // Leaves out everything below the current entry.
    void skipChildren() { m_descend = false; }

private:
    struct Level
    {
        QByteArray relPath;
        QByteArray names; // each listed name as its type byte, the name and a NUL
        qsizetype next = 0;
        dev_t dev = 0; // the directory's identity, taken before descending from it
        ino_t ino = 0; // (0 until then)
    };

    // Reads the listed names of the open directory fd into level.
    bool readNames(int fd, Level *level) const;
    // Goes back up to the nearest level that has names left, opening it again
    // through ".."; false when the walk is over or that is not the directory
    // it was.
    bool leave();

    QByteArray m_root;
    Depth m_depth;
    Temporaries m_temporaries;
    QList<Level> m_levels;
    int m_fd = -1; // the directory of the deepest level
    WalkEntry m_entry;
    bool m_descend = false;
};

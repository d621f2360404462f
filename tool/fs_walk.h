#pragma once

#include <QByteArray>
#include <QList>

#include <dirent.h>

// One entry met by TreeWalker. The *at() pair (dirFd, name) addresses the entry
// relative to its open parent directory, which avoids re-resolving long paths.
struct WalkEntry
{
    QByteArray path;            // root joined with relPath
    QByteArray relPath;         // path below the walked root
    int dirFd = -1;             // open descriptor of the entry's directory
    const char *name = nullptr; // the entry's own name
    bool isDir = false;         // a real directory (never a symbolic link)
    bool isSymLink = false;     // the entry itself is a symbolic link
    bool isTemporary = false;   // one of the linker's temporary names
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
        DIR *dir;
        QByteArray relPath;
    };

    QByteArray m_root;
    Depth m_depth;
    Temporaries m_temporaries;
    QList<Level> m_levels;
    WalkEntry m_entry;
    bool m_descend = false;
};

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
};

// Walks the tree below root (following root itself if it is a link) and yields
// every entry whose name does not begin with a dot, each directory before the
// entries below it. Real directories are descended into unless skipChildren()
// is called for them; symbolic links never are. A root that cannot be opened
// as a directory yields nothing. Names are the file system's bytes.
class TreeWalker
{
public:
    enum Depth { Recursive, TopLevelOnly };

    explicit TreeWalker(const QByteArray &root, Depth depth = Recursive);
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
    QList<Level> m_levels;
    WalkEntry m_entry;
    bool m_descend = false;
};

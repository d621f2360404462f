#include "fs_walk.h"

#include "fs_path.h"
#include "temporary.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool isFileOrDirectory(const WalkEntry &entry)
{
    if (entry.isDir)
        return true;
    struct stat st = {};
    if (fstatat(entry.dirFd, entry.name, &st, 0) != 0)
        return false;
    return S_ISREG(st.st_mode) || S_ISDIR(st.st_mode);
}

TreeWalker::TreeWalker(const QByteArray &root, Depth depth, Temporaries temporaries)
    : m_root(root)
    , m_depth(depth)
    , m_temporaries(temporaries)
{
    const int rootFd = open(root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (rootFd < 0)
        return;
    if (DIR *dir = fdopendir(rootFd))
        m_levels.append({dir, QByteArray()});
    else
        close(rootFd);
}

TreeWalker::~TreeWalker()
{
    for (const Level &level : m_levels)
        closedir(level.dir);
}

bool TreeWalker::next()
{
    if (m_descend && m_entry.isDir && m_depth == Recursive) {
        const int fd =
            openat(m_entry.dirFd, m_entry.name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) {
            if (DIR *dir = fdopendir(fd))
                m_levels.append({dir, m_entry.relPath});
            else
                close(fd);
        }
    }
    m_descend = false;

    while (!m_levels.isEmpty()) {
        const Level &level = m_levels.last();
        const int dirFd = dirfd(level.dir);
        const dirent *ent = readdir(level.dir);
        if (!ent) {
            closedir(level.dir);
            m_levels.removeLast();
            continue;
        }
        const bool temporary = ent->d_name[0] == '.' && m_temporaries == ListTemporaries &&
                               isTemporaryName(ent->d_name);
        if (ent->d_name[0] == '.' && !temporary)
            continue;
        unsigned char type = ent->d_type;
        if (type == DT_UNKNOWN) {
            struct stat st = {};
            if (fstatat(dirFd, ent->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : DT_REG;
        }
        m_entry.relPath =
            level.relPath.isEmpty() ? QByteArray(ent->d_name) : level.relPath + '/' + ent->d_name;
        m_entry.path = joinPath(m_root, m_entry.relPath);
        m_entry.dirFd = dirFd;
        m_entry.name = ent->d_name;
        m_entry.isDir = type == DT_DIR;
        m_entry.isSymLink = type == DT_LNK;
        m_entry.isTemporary = temporary;
        m_descend = !temporary;
        return true;
    }
    return false;
}

#include "place_link.h"

#include "fs_path.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {

bool replaceLink(const QByteArray &src, const QByteArray &dst)
{
    // The temporary name begins with a dot, so no walk of the linker lists it.
    const QByteArray dir = parentPath(dst);
    for (int attempt = 0; attempt < 8; ++attempt) {
        const QByteArray temporary =
            joinPath(dir, ".app-entries-linker-" +
                              QByteArray::number(QRandomGenerator::global()->generate64(), 16));
        if (symlink(src.constData(), temporary.constData()) != 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        if (rename(temporary.constData(), dst.constData()) == 0)
            return true;
        unlink(temporary.constData());
        return false;
    }
    return false;
}

} // namespace

bool placeLink(const QByteArray &src, const QByteArray &dst)
{
    if (existsFollowingLinks(dst)) {
        if (!isSymLink(dst) || absoluteLinkTarget(dst) == src)
            return true;
        return replaceLink(src, dst);
    }
    return symlink(src.constData(), dst.constData()) == 0;
}

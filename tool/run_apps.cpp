#include "run_apps.h"

bool RunApps::isAppAfter(const QByteArray &path, qsizetype position) const
{
    const QByteArray own = entriesRoots.value(current);
    for (qsizetype i = position + 1; i < entriesRoots.size(); ++i) {
        const QByteArray &root = entriesRoots.at(i);
        if (root != own && path.size() > root.size() && path.startsWith(root) &&
            path.at(root.size()) == '/')
            return true;
    }
    return false;
}

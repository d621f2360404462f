// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "run_apps.h"

#include <algorithm>

namespace {

bool isInside(const QByteArray &path, const QByteArray &dir)
{
    return path.size() > dir.size() && path.startsWith(dir) && path.at(dir.size()) == '/';
}

} // namespace

bool RunApp::links(const QByteArray &path) const
{
    return isInside(path, entriesRoot) &&
           std::any_of(linkedDirs.begin(), linkedDirs.end(),
                       [&](const QByteArray &dir) { return isInside(path, dir); });
}

bool RunApps::isAppAfter(const QByteArray &path, qsizetype position) const
{
    if (current >= 0 && current < apps.size() && apps.at(current).links(path))
        return false; // the current application's own
    for (qsizetype i = position + 1; i < apps.size(); ++i) {
        if (i != current && apps.at(i).links(path))
            return true;
    }
    return false;
}

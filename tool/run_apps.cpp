// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "run_apps.h"

#include "fs_path.h"

#include <algorithm>

namespace {

// Whether row shows link as dst.
bool showsAs(const AppRow &row, const QByteArray &link, const QByteArray &dst)
{
    if (!isAtOrBelow(link, row.source))
        return false;
    const qsizetype rest = link.size() - row.source.size();
    return dst.size() == row.target.size() + rest && dst.startsWith(row.target) &&
           dst.endsWith(QByteArrayView(link).last(rest));
}

} // namespace

void RunApps::add(const RunApp &app)
{
    m_byRoot[app.entriesRoot].append(m_apps.size());
    m_apps.append(app);
}

bool RunApps::isPlacedByOther(const QByteArray &link, const QByteArray &dst) const
{
    return isPlaced(link, dst, Among::Others);
}

bool RunApps::isPlacedByLater(const QByteArray &link, const QByteArray &dst) const
{
    return isPlaced(link, dst, Among::Later);
}

bool RunApps::isPlacedByAny(const QByteArray &link, const QByteArray &dst) const
{
    return isPlaced(link, dst, Among::All);
}

bool RunApps::isPlaced(const QByteArray &link, const QByteArray &dst, Among among) const
{
    // The entries roots above link, found by name.
    for (qsizetype slash = link.indexOf('/', 1); slash != -1;
         slash = link.indexOf('/', slash + 1)) {
        const auto found = m_byRoot.constFind(QByteArray::fromRawData(link.constData(), slash));
        if (found == m_byRoot.constEnd())
            continue;
        for (const qsizetype position : *found) {
            if ((among == Among::Others && position == m_current) ||
                (among == Among::Later && position <= m_current))
                continue;
            const QList<AppRow> &rows = m_apps.at(position).rows;
            if (std::any_of(rows.begin(), rows.end(),
                            [&](const AppRow &row) { return showsAs(row, link, dst); }))
                return true;
        }
    }
    return false;
}

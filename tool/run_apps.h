// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include "link_table.h"

#include <QByteArray>
#include <QHash>
#include <QList>

// A row of the link table as it applies to one application: its source
// directory (absolute) and the system directory it is linked into.
struct AppRow
{
    QByteArray source;
    QByteArray target;
    Subdirs subdirs = Subdirs::Folded;
};

// One application of a run: its entries root and the rows that apply to it.
struct RunApp
{
    QByteArray entriesRoot;
    QList<AppRow> rows;
};

// The applications of one run, in enumeration order, and the position of the
// one being linked. It tells a link that an application of the run places
// from a link found elsewhere.
class RunApps
{
public:
    void add(const RunApp &app);
    const QList<RunApp> &apps() const { return m_apps; }

    // The application being linked.
    qsizetype current() const { return m_current; }
    void setCurrent(qsizetype position) { m_current = position; }

    // Whether link (a link's target) is what an application of the run, other
    // than the current one, links as dst: the file or directory of one of its
    // rows that the row's target directory shows at dst.
    bool isPlacedByOther(const QByteArray &link, const QByteArray &dst) const;
    // The same, for the applications enumerated after the current one.
    bool isPlacedByLater(const QByteArray &link, const QByteArray &dst) const;
    // The same, for any application of the run.
    bool isPlacedByAny(const QByteArray &link, const QByteArray &dst) const;

private:
    enum class Among { Others, Later, All };
    bool isPlaced(const QByteArray &link, const QByteArray &dst, Among among) const;

    QList<RunApp> m_apps;
    qsizetype m_current = -1;
    QHash<QByteArray, QList<qsizetype>> m_byRoot; // entries root -> positions
};

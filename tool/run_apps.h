// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QByteArray>
#include <QList>

// One application of a run: its entries root and the directories below it
// that its rows of the link table link.
struct RunApp
{
    QByteArray entriesRoot;
    QList<QByteArray> linkedDirs;

    // Whether path lies in one of the linked directories.
    bool links(const QByteArray &path) const;
};

// The applications of one run, in enumeration order, and the position of the
// one being linked. It lets the linking tell a link that another application
// of the run places from a link found elsewhere.
struct RunApps
{
    QList<RunApp> apps;
    qsizetype current = -1;

    // Whether path lies in what an application of the run other than the
    // current one links.
    bool isOtherApp(const QByteArray &path) const { return isAppAfter(path, -1); }
    // The same, for the applications enumerated after the current one.
    bool isLaterApp(const QByteArray &path) const { return isAppAfter(path, current); }

private:
    bool isAppAfter(const QByteArray &path, qsizetype position) const;
};

#pragma once

#include <QByteArray>
#include <QList>

// The applications of one run, as their entries roots in enumeration order,
// and the position of the one being linked. It lets the linking tell a link
// that another application of the run placed from a link found elsewhere.
struct RunApps
{
    QList<QByteArray> entriesRoots;
    qsizetype current = -1;

    // Whether path lies in the entries tree of an application of the run
    // other than the current one.
    bool isOtherApp(const QByteArray &path) const { return isAppAfter(path, -1); }
    // The same, for the applications enumerated after the current one.
    bool isLaterApp(const QByteArray &path) const { return isAppAfter(path, current); }

private:
    bool isAppAfter(const QByteArray &path, qsizetype position) const;
};

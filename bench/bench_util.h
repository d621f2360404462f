// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QFile>
#include <QList>
#include <QRegularExpression>
#include <QString>

#include <algorithm>

inline double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// A field of /proc/<pid>/smaps_rollup in KiB: "Rss" counts every resident
// page, shared library code included; "Private_Dirty" only what the process
// itself wrote (heap, stacks, relocated data).
inline double memoryKiB(qint64 pid, const char *field)
{
    QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    if (!rollup.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpression line(QStringLiteral("%1:\\s+(\\d+) kB").arg(QLatin1String(field)));
    return line.match(QString::fromLatin1(rollup.readAll())).captured(1).toDouble();
}

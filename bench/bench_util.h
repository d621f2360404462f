// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QFile>
#include <QList>
#include <QRegularExpression>
#include <QString>

#include <algorithm>

// The value below which the given fraction of the values lie (0.5: the median).
inline double percentile(QList<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    return values.at(std::min(int(fraction * values.size()), int(values.size()) - 1));
}

inline double median(const QList<double> &values)
{
    return percentile(values, 0.5);
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

// The private dirty KiB of the main heap ("[heap]" in /proc/<pid>/smaps).
inline double heapKiB(qint64 pid)
{
    QFile smaps(QStringLiteral("/proc/%1/smaps").arg(pid));
    if (!smaps.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpression heap(
        QStringLiteral("\\[heap\\]\n(?:.*\n)*?Private_Dirty:\\s+(\\d+) kB"));
    return heap.match(QString::fromLatin1(smaps.readAll())).captured(1).toDouble();
}

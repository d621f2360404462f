// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QVariantList>

#include <cstdio>
#include <ctime>

// Monotonic clock in nanoseconds, comparable between processes.
inline qint64 monotonicNanoseconds()
{
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Prints one line of JSON on standard output for each call a peer receives:
// {"member": ..., "args": [...], "sender": ..., "time": <monotonic ns>}.
// Tests read these lines.
inline void recordCall(const QString &member, const QVariantList &args, const QString &sender)
{
    const QJsonObject record{{QStringLiteral("member"), member},
                             {QStringLiteral("args"), QJsonArray::fromVariantList(args)},
                             {QStringLiteral("sender"), sender},
                             {QStringLiteral("time"), double(monotonicNanoseconds())}};
    std::printf("%s\n", QJsonDocument(record).toJson(QJsonDocument::Compact).constData());
    std::fflush(stdout);
}

inline void announceReady()
{
    std::printf("ready\n");
    std::fflush(stdout);
}

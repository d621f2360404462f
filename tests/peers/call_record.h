#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QVariantList>

#include <cstdio>

// Prints one line of JSON on standard output for each call a peer receives:
// {"member": ..., "args": [...], "sender": ...}. Tests read these lines.
inline void recordCall(const QString &member, const QVariantList &args, const QString &sender)
{
    const QJsonObject record{{QStringLiteral("member"), member},
                             {QStringLiteral("args"), QJsonArray::fromVariantList(args)},
                             {QStringLiteral("sender"), sender}};
    std::printf("%s\n", QJsonDocument(record).toJson(QJsonDocument::Compact).constData());
    std::fflush(stdout);
}

inline void announceReady()
{
    std::printf("ready\n");
    std::fflush(stdout);
}

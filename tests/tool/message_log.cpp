// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "message_log.h"

#include <QtGlobal>

namespace {

QStringList recorded;
QtMessageHandler previous = nullptr;

void record(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtDebugMsg && qstrcmp(context.category, "default") == 0)
        recorded.append(QString::fromUtf8(context.function) + QLatin1Char('|') + message);
    else
        previous(type, context, message);
}

} // namespace

MessageLog::MessageLog()
{
    recorded.clear();
    previous = qInstallMessageHandler(record);
}

MessageLog::~MessageLog()
{
    qInstallMessageHandler(previous);
}

QStringList MessageLog::lines() const
{
    return recorded;
}

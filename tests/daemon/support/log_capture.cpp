// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "log_capture.h"

#include <QtGlobal>

namespace {

QStringList recorded;
QtMessageHandler previous = nullptr;

void record(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    static const char *const names[] = {"debug", "warning", "critical", "fatal", "info"};
    recorded.append(QString::fromUtf8(context.category) + QLatin1Char('|') +
                    QLatin1String(names[type]) + QLatin1Char('|') + message);
}

} // namespace

LogCapture::LogCapture()
{
    recorded.clear();
    previous = qInstallMessageHandler(record);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(previous);
}

QStringList LogCapture::lines() const
{
    return recorded;
}

QStringList LogCapture::linesOf(const char *category) const
{
    QStringList result;
    const QString prefix = QString::fromUtf8(category) + QLatin1Char('|');
    for (const QString &line : recorded) {
        if (line.startsWith(prefix))
            result.append(line.mid(prefix.size()));
    }
    return result;
}

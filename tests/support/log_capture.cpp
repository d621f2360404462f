// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "log_capture.h"

#include <QList>
#include <QString>
#include <QtGlobal>

namespace {

struct Record
{
    QtMsgType type;
    QString category;
    QString function;
    QString message;
};

QList<Record> recorded;
QtMessageHandler previous = nullptr;

void record(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    recorded.append(
        {type, QString::fromUtf8(context.category), QString::fromUtf8(context.function), message});
}

QString typeName(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return QStringLiteral("debug");
    case QtInfoMsg:
        return QStringLiteral("info");
    case QtWarningMsg:
        return QStringLiteral("warning");
    case QtCriticalMsg:
        return QStringLiteral("critical");
    case QtFatalMsg:
        break;
    }
    return QStringLiteral("fatal");
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
    QStringList result;
    for (const Record &r : recorded)
        result.append(r.category + QLatin1Char('|') + typeName(r.type) + QLatin1Char('|') +
                      r.message);
    return result;
}

QStringList LogCapture::linesOf(const char *category) const
{
    QStringList result;
    for (const Record &r : recorded) {
        if (r.category == QLatin1String(category))
            result.append(typeName(r.type) + QLatin1Char('|') + r.message);
    }
    return result;
}

QStringList LogCapture::debugLinesOf(const char *category) const
{
    QStringList result;
    for (const Record &r : recorded) {
        if (r.type == QtDebugMsg && r.category == QLatin1String(category))
            result.append(r.function + QLatin1Char('|') + r.message);
    }
    return result;
}

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "journal_record.h"

#include <QByteArray>
#include <QString>

#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

// Without this, sd_journal_send records the location of its own call.
#define SD_JOURNAL_SUPPRESS_LOCATION
#include <systemd/sd-journal.h>

namespace Vmo {
namespace Core {

namespace {

int priority(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return LOG_DEBUG;
    case QtInfoMsg:
        return LOG_INFO;
    case QtWarningMsg:
        return LOG_WARNING;
    case QtCriticalMsg:
        return LOG_CRIT;
    case QtFatalMsg:
        return LOG_ALERT;
    }
    return LOG_DEBUG;
}

const char *orEmpty(const char *text)
{
    return text ? text : "";
}

} // namespace

void sendJournalRecord(QtMsgType type, const QMessageLogContext &context, const QString &message,
                       const QByteArray &identifier)
{
    sd_journal_send("MESSAGE=%s", message.toUtf8().constData(), "PRIORITY=%d", priority(type),
                    "QT_CATEGORY=%s", orEmpty(context.category), "CODE_FILE=%s",
                    orEmpty(context.file), "CODE_LINE=%d", context.line, "CODE_FUNC=%s",
                    orEmpty(context.function), "SYSLOG_IDENTIFIER=%s", identifier.constData(),
                    nullptr);
}

bool standardErrorIsJournal()
{
    const QByteArray stream = qgetenv("JOURNAL_STREAM");
    struct stat status = {};
    if (stream.isEmpty() || fstat(STDERR_FILENO, &status) != 0)
        return false;
    return stream == QByteArray::number(quint64(status.st_dev)) + ':' +
                         QByteArray::number(quint64(status.st_ino));
}

} // namespace Core
} // namespace Vmo

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "vlogmanager.h"

#include "journal_record.h"
#include "log_file.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <mutex>

namespace Vmo {
namespace Core {

namespace {

// What the registered appenders need. Messages come from any thread, and
// even while the process exits, so this lives until the very end.
struct Appenders
{
    std::mutex mutex;
    bool console = false;
    bool consoleIsJournal = false;
    std::unique_ptr<LogFile> file;
    bool journal = false;
    QByteArray journalIdentifier;
};

Appenders &appenders()
{
    static auto *const instance = new Appenders;
    return *instance;
}

void handleMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    Appenders &out = appenders();
    const std::lock_guard<std::mutex> lock(out.mutex);
    const QString formatted = qFormatLogMessage(type, context, message);
    if (!formatted.isNull()) {
        if (out.console && !(out.journal && out.consoleIsJournal)) {
            std::fprintf(stderr, "%s\n", formatted.toLocal8Bit().constData());
            std::fflush(stderr);
        }
        if (out.file)
            out.file->write(QDateTime::currentDateTime().toString(Qt::ISODateWithMs).toUtf8() +
                            ' ' + formatted.toUtf8() + '\n');
    }
    if (out.journal)
        sendJournalRecord(type, context, message, out.journalIdentifier);
}

// Runs change on the appenders, then makes sure they receive the messages.
template <typename Change> void registerAppender(Change change)
{
    {
        Appenders &out = appenders();
        const std::lock_guard<std::mutex> lock(out.mutex);
        change(out);
    }
    qInstallMessageHandler(handleMessage);
}

} // namespace

void VLogManager::registerConsoleAppender()
{
    registerAppender([](Appenders &out) { out.console = true; });
}

void VLogManager::registerFileAppender()
{
    const QString name = QCoreApplication::applicationName();
    const QString path = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
                         QLatin1Char('/') + name + QStringLiteral(".log");
    int error = 0;
    registerAppender([&](Appenders &out) {
        if (!out.file)
            out.file = LogFile::open(QFile::encodeName(path), kMaxFileSize);
        if (!out.file)
            error = errno;
    });
    if (error)
        qWarning("Cannot open the log file %s: %s", qPrintable(path),
                 qPrintable(qt_error_string(error)));
}

void VLogManager::registerJournalAppender()
{
    const QByteArray identifier = QCoreApplication::applicationName().toUtf8();
    const bool consoleIsJournal = standardErrorIsJournal();
    registerAppender([&](Appenders &out) {
        if (out.journal)
            return;
        out.journal = true;
        out.journalIdentifier = identifier;
        out.consoleIsJournal = consoleIsJournal;
    });
}

} // namespace Core
} // namespace Vmo

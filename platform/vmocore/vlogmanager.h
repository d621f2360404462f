// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QtGlobal>

namespace Vmo {
namespace Core {

// Sends every message of the process that passes the logging category filters
// to each registered appender, through Qt's message handler. Registering an
// appender a second time changes nothing. The file and journal appenders take
// the application's name when they are registered.
class VLogManager
{
public:
    // A log file that would grow beyond this size is renamed to "<file>.1",
    // replacing the older one, and a new file is begun.
    static constexpr qint64 kMaxFileSize = qint64(1024) * 1024;

    // Standard error, each message formatted by the message pattern
    // (QT_MESSAGE_PATTERN). When the journal appender is registered too and
    // standard error is the journal's stream (JOURNAL_STREAM), nothing is
    // written there: the journal receives each message once, with its fields.
    static void registerConsoleAppender();
    // <cache>/<organisation>/<application>/<application>.log, <cache> being
    // $XDG_CACHE_HOME or ~/.cache; the folders it creates are readable by the
    // user only (0700), and so is the file (0600). Each line: the local time,
    // then the message formatted as on the console.
    static void registerFileAppender();
    // The systemd journal: MESSAGE, PRIORITY (debug 7, info 6, warning 4,
    // critical 2, fatal 1), QT_CATEGORY, CODE_FILE, CODE_LINE, CODE_FUNC and
    // the application's name as SYSLOG_IDENTIFIER.
    static void registerJournalAppender();
};

} // namespace Core
} // namespace Vmo

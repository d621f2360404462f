// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QtGlobal>

class QByteArray;
class QMessageLogContext;
class QString;

namespace Vmo {
namespace Core {

// Sends one message to the systemd journal as a structured record.
void sendJournalRecord(QtMsgType type, const QMessageLogContext &context, const QString &message,
                       const QByteArray &identifier);

// Whether standard error is connected to the journal (systemd names that
// stream in JOURNAL_STREAM as "<device>:<inode>").
bool standardErrorIsJournal();

} // namespace Core
} // namespace Vmo

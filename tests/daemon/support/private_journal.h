// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QByteArray>
#include <QList>
#include <QMultiMap>

// Moves the test process into a mount namespace of its own with a private
// /run and binds a datagram socket at the journal's socket path there, so that
// the journal records of this process and of every program it starts arrive
// here and never in the machine's journal. Construct it first in main(),
// before any thread exists: unshare() refuses a multi-threaded process.
class PrivateJournal
{
public:
    using Record = QMultiMap<QByteArray, QByteArray>;

    PrivateJournal();
    ~PrivateJournal();
    PrivateJournal(const PrivateJournal &) = delete;
    PrivateJournal &operator=(const PrivateJournal &) = delete;

    bool isValid() const { return m_socket >= 0; }
    // The records that arrived since the last call, in the journal's native
    // protocol: "NAME=value" lines, or "NAME", a 64-bit little-endian size
    // and the value, for values that hold a newline.
    QList<Record> takeRecords();

private:
    int m_socket = -1;
};

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QString>
#include <QStringList>

// Records the messages the code under test logs, as "function|message" lines,
// for as long as it lives.
class MessageLog
{
public:
    MessageLog();
    ~MessageLog();
    QStringList lines() const;
};

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QStringList>

// Records every message logged while it lives, and prints none of them.
// Built against Qt 5 and Qt 6 alike.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    // "category|type|message", type being debug, info, warning, critical or
    // fatal.
    QStringList lines() const;
    // The lines of one category, without the category.
    QStringList linesOf(const char *category) const;
    // The debug messages of one category as "function|message".
    QStringList debugLinesOf(const char *category) const;
};

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QStringList>

// Records every message logged while it lives as "category|type|message",
// type being debug, info, warning, critical or fatal.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    QStringList lines() const;
    // The lines of one category, without the category.
    QStringList linesOf(const char *category) const;
};

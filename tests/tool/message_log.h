// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include "log_capture.h"

#include <QStringList>

// Records the messages the code under test logs, for as long as it lives;
// lines() gives the linker's own (the debug messages of Qt's default
// category) as "function|message".
class MessageLog
{
public:
    QStringList lines() const { return m_capture.debugLinesOf("default"); }

private:
    LogCapture m_capture;
};

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include "opt_status.h"

#include <QString>

// One notice of the system daemon about a finished package operation, read
// from its JSON text; each field is named after its JSON key.
struct _System_Notification_Data
{
    E_OptStatus opt = OptNone;
    QString appName;
    QString packageName;
    QString logname;

    // Fills the fields whose keys the notice has; false, with nothing changed,
    // when the text is not a JSON object.
    bool fromJsonString(const QString &noticeJsonStr);
};

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QString>

// Who this test process is, as the bridge looks it up.

// The process's login name; empty without one.
QString ownLoginName();

// The user name of the process's password entry; empty without one.
QString ownPasswordEntryName();

// The name the bridge finds for a process run like this one: its login name,
// else its password entry's.
QString ownSessionUserName();

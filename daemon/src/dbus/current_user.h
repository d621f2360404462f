// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// The lock service on the system bus, which knows the current user: its
// service and interface name, and its object.
inline const QString kLockService = QStringLiteral("org.ostrel.kse.LockService1");
inline const QString kLockPath = QStringLiteral("/org/ostrel/kse/LockService1");

// The login name of this process (getlogin), trimmed; empty without one.
QString processLoginName();

// The user name of the password entry of uid, trimmed; empty without one.
QString passwordEntryName(uid_t uid);

// The login name in the lock service's answer to "CurrentUser": the text of a
// JSON object whose "Name" (a string) is the name, or, where that is missing
// or empty, whose "Uid" (a JSON number that is a non-negative integer) names
// the password entry to take it from. Empty when neither gives one: a "Uid"
// of another kind (text, a fraction, a negative number) names no user, and
// is logged as a warning with the answer. Text that is not a JSON object is
// logged as a warning with the parser's error and the text.
QString currentUserName(const QByteArray &reply);

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "own_user.h"

#include <pwd.h>
#include <unistd.h>

#include <climits>
#include <vector>

QString ownLoginName()
{
    char name[LOGIN_NAME_MAX + 1] = {};
    return getlogin_r(name, sizeof name) == 0 ? QString::fromLocal8Bit(name) : QString();
}

QString ownPasswordEntryName()
{
    std::vector<char> buffer(65536);
    passwd entry = {};
    passwd *found = nullptr;
    getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found);
    return found ? QString::fromLocal8Bit(found->pw_name) : QString();
}

QString ownSessionUserName()
{
    const QString login = ownLoginName();
    return login.isEmpty() ? ownPasswordEntryName() : login;
}

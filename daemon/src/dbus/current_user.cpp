// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "current_user.h"

#include "logging_and_config.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <optional>
#include <vector>

namespace {

// Far beyond any real entry; a lookup that wants more fails.
constexpr size_t kMaxEntrySize = 1 << 20;

// The user id a JSON value gives: a number that is a whole non-negative
// value, below (uid_t)-1, which stands for no user. Nothing for any other
// value: reading it as 0 would make the session root's.
std::optional<uid_t> userIdOf(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (!(number >= 0) || number >= double(uid_t(-1)) || std::trunc(number) != number)
        return std::nullopt;
    return uid_t(number);
}

} // namespace

// The reentrant forms throughout: the host process may have other threads
// that look up users too.

QString processLoginName()
{
    char name[LOGIN_NAME_MAX + 1] = {};
    return getlogin_r(name, sizeof name) == 0 ? QString::fromLocal8Bit(name).trimmed() : QString();
}

QString passwordEntryName(uid_t uid)
{
    const long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? size_t(suggested) : 16384);
    passwd entry = {};
    passwd *found = nullptr;
    while (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == ERANGE &&
           buffer.size() < kMaxEntrySize)
        buffer.resize(buffer.size() * 2);
    return found ? QString::fromLocal8Bit(found->pw_name).trimmed() : QString();
}

QString currentUserName(const QByteArray &reply)
{
    QJsonParseError error = {};
    const QJsonDocument document = QJsonDocument::fromJson(reply, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        qCWarning(logMain) << "Parse CurrentUser failed:" << error.errorString() << reply;
        return QString();
    }
    const QJsonObject user = document.object();
    QString name;
    if (user.contains(QLatin1String("Name")))
        name = user.value(QLatin1String("Name")).toString().trimmed();
    if (!name.isEmpty() || !user.contains(QLatin1String("Uid")))
        return name;
    const std::optional<uid_t> uid = userIdOf(user.value(QLatin1String("Uid")));
    if (!uid) {
        qCWarning(logMain) << "CurrentUser Uid is not a user id:" << reply;
        return QString();
    }
    return passwordEntryName(*uid);
}

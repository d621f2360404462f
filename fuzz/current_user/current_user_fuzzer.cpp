// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// Fuzzes the lock service's answer to "CurrentUser", as the bridge reads the
// session user's login name from it when the process has neither a login
// name nor a password entry. The name it gives is always trimmed, and it is
// root's only where the answer says so: by "Name", or by a "Uid" that is the
// number 0 (never a "Uid" of text, a fraction or a negative number).

#include "current_user.h"
#include "daemon_fuzzing.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

void fail(const char *what, const QString &name)
{
    std::fprintf(stderr, "current_user: %s \"%s\"\n", what, qPrintable(name));
    std::abort();
}

bool namesRoot(const QByteArray &reply, const QString &root)
{
    const QJsonObject user = QJsonDocument::fromJson(reply).object();
    const QJsonValue uid = user.value(QLatin1String("Uid"));
    return user.value(QLatin1String("Name")).toString().trimmed() == root ||
           (uid.isDouble() && uid.toDouble() == 0);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    silenceMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // As the bridge takes the reply's text argument.
    const QByteArray reply = textOf(data, size).toUtf8();
    const QString name = currentUserName(reply);
    if (name != name.trimmed())
        fail("untrimmed name", name);
    static const QString root = passwordEntryName(0);
    if (!root.isEmpty() && name == root && !namesRoot(reply, root))
        fail("root's name from an answer that does not name root:", name);
    return 0;
}

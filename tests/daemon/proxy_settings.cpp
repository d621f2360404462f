// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "proxy_settings.h"

#include "private_desktop.h"

#include <vgiosettings.h>

#include <QSignalSpy>
#include <QTest>

#include <algorithm>

namespace ProxySettings {

void set(const QString &child, const QString &key, const QString &value)
{
    const QString schema = child.isEmpty() ? QStringLiteral("org.gnome.system.proxy")
                                           : QStringLiteral("org.gnome.system.proxy.") + child;
    QCOMPARE(runTool(QStringLiteral("gsettings"), {QStringLiteral("set"), schema, key, value}), 0);
}

void write(const QString &path, const QString &value)
{
    QCOMPARE(runTool(QStringLiteral("dconf"),
                     {QStringLiteral("write"), QStringLiteral("/system/proxy/") + path, value}),
             0);
}

void reset()
{
    QCOMPARE(runTool(QStringLiteral("dconf"), {QStringLiteral("reset"), QStringLiteral("-f"),
                                               QStringLiteral("/system/proxy/")}),
             0);
    settle();
}

void settle()
{
    // Changes arrive in the order they were made: once a change of a key
    // nobody here acts on has arrived, so has everything before it.
    static int round = 0;
    VGioSettings barrier(QStringLiteral("com.ostrel.wrap.gnome.system.proxy"));
    QSignalSpy spy(&barrier, &VGioSettings::valueChanged);
    write(QStringLiteral("use-same-proxy"),
          (++round % 2) ? QStringLiteral("false") : QStringLiteral("true"));
    for (int i = 0; i < 50; ++i) {
        if (std::any_of(spy.cbegin(), spy.cend(), [](const QList<QVariant> &args) {
                return args.at(0).toString() == QLatin1String("useSameProxy");
            }))
            return;
        spy.wait(100);
    }
    QFAIL("the settings change did not arrive");
}

} // namespace ProxySettings

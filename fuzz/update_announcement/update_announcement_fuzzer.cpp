// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// Fuzzes the system daemon's update announcements: the walk over the
// announced applications and the notice built from them in the bridge's
// slot. No system daemon answers on the private system bus, so the stored
// date reads as 1970-01-01 and every input gets past the once-a-day rule.
//
// Input, one item a line:
//   the ignore list: package names separated by ","
//   "wayland" for a Wayland session, anything else for another one
//   each announced application, its JSON text on a line of its own

#include "appstore_daemon_interface.h"
#include "daemon_fuzzing.h"
#include "logging_and_config.h"

namespace {

AppstoreDaemonInterface *g_bridge = nullptr;
AppstoreDaemonInterface *g_waylandBridge = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    setUpPluginWorld();
    g_bridge = AppstoreDaemonInterface::instance();
    qputenv("XDG_SESSION_TYPE", "wayland");
    g_waylandBridge = new AppstoreDaemonInterface();
    qunsetenv("XDG_SESSION_TYPE");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QStringList lines = textOf(data, size).split(QLatin1Char('\n'));
    if (lines.size() < 3)
        return 0;
    const QStringList ignored = lines.takeFirst().split(QLatin1Char(','));
    AppstoreDaemonInterface *bridge =
        lines.takeFirst() == QLatin1String("wayland") ? g_waylandBridge : g_bridge;
    invokeSlot(bridge, "slotVConfigValueChanged",
               Q_ARG(QString, QString::fromLatin1(kVConfigAppStoreAppId)),
               Q_ARG(QString, QString::fromLatin1(kVConfigAppStoreName)), Q_ARG(QString, QString()),
               Q_ARG(QString, QStringLiteral("appsIgnoreUpdates")),
               Q_ARG(QVariant, QVariant(ignored)));
    invokeSlot(bridge, "slotLocalAppsUpgradeNotify", Q_ARG(QStringList, lines));
    return 0;
}

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// Fuzzes settings values of any type, as the GVariant conversion hands them
// on: to the manual proxy configurations and the system proxy monitor (the
// GSettings wrapper's valueChanged) and through the configuration watcher's
// sigValueChanged to the bridge and the log rules watcher. The dconf layer
// has no schema, so a user can store a value of any type under any key.
//
// Input, one setting a line: the key, a blank, and the value in GVariant's
// text form, for example "port uint32 8080" or "appsIgnoreUpdates [1, 2]".
// Each input starts from the settings of a desktop without a proxy.
//
// Every value converted back for writing must read back as the same value.

#include "appstore_daemon_interface.h"
#include "daemon_fuzzing.h"
#include "gvariant_qvariant.h"
#include "log_rules_watcher.h"
#include "manual_proxy_config.h"
#include "logging_and_config.h"
#include "system_proxy_monitor.h"
#include "vconfig_watcher.h"

#include <glib.h>

#include <cmath>

namespace {

QList<QObject *> g_gsettingsReceivers;
LogRulesWatcher *g_logRulesWatcher = nullptr;

const QList<QPair<QString, QVariant>> &defaults()
{
    static const QList<QPair<QString, QVariant>> settings = {
        {QStringLiteral("mode"), QStringLiteral("none")},
        {QStringLiteral("autoconfigUrl"), QString()},
        {QStringLiteral("ignoreHosts"), QStringList()},
        {QStringLiteral("host"), QString()},
        {QStringLiteral("port"), 0U},
        {QStringLiteral("useAuthentication"), false},
        {QStringLiteral("authenticationUser"), QString()},
        {QStringLiteral("authenticationPassword"), QString()},
        {QStringLiteral("appsIgnoreUpdates"), QStringList()},
        {QStringLiteral("log_rules"), QString()},
    };
    return settings;
}

void deliver(const QString &key, const QVariant &value)
{
    for (QObject *receiver : qAsConst(g_gsettingsReceivers))
        invokeSlot(receiver, "slotGSettingsValueChanged", Q_ARG(QString, key),
                   Q_ARG(QVariant, value));
    Q_EMIT VConfigWatcher::instance()->sigValueChanged(QString::fromLatin1(kVConfigAppStoreAppId),
                                                       QString::fromLatin1(kVConfigAppStoreName),
                                                       QString(), key, value);
}

bool isNaN(const QVariant &value)
{
    return value.userType() == QMetaType::Double && std::isnan(value.toDouble());
}

void checkRoundTrip(const QVariant &value)
{
    GVariant *written = GVariantQVariant::toGVariant(value);
    if (!written)
        return;
    g_variant_ref_sink(written);
    const QVariant read = GVariantQVariant::toQVariant(written);
    g_variant_unref(written);
    if (read != value && !isNaN(value)) {
        std::fprintf(stderr, "settings_values: %s read back as %s\n", qPrintable(value.toString()),
                     qPrintable(read.toString()));
        std::abort();
    }
}

// One line's value, or an invalid one when the text is not a GVariant.
QVariant valueOf(const QByteArray &text)
{
    GVariant *parsed = g_variant_parse(nullptr, text.constData(), text.constData() + text.size(),
                                       nullptr, nullptr);
    if (!parsed)
        return QVariant();
    g_variant_ref_sink(parsed);
    const QVariant value = GVariantQVariant::toQVariant(parsed);
    g_variant_unref(parsed);
    return value;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    setUpPluginWorld();
    AppstoreDaemonInterface::instance();
    g_logRulesWatcher = new LogRulesWatcher();
    SystemProxyMonitor *monitor = SystemProxyMonitor::instance();
    g_gsettingsReceivers.append(monitor);
    for (ManualProxyConfig *config : monitor->findChildren<ManualProxyConfig *>())
        g_gsettingsReceivers.append(config);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    for (const auto &setting : defaults())
        deliver(setting.first, setting.second);
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    for (const QByteArray &line : input.split('\n')) {
        const int blank = line.indexOf(' ');
        if (blank < 0)
            continue;
        const QVariant value = valueOf(line.mid(blank + 1));
        checkRoundTrip(value);
        deliver(QString::fromUtf8(line.left(blank)), value);
    }
    return 0;
}

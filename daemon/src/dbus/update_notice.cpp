// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The bridge's update notice: at most one a day, resting on the date the
// system daemon stores for it, with its "View" action, and the ignore list
// that filters it.

#include "appstore_daemon_interface.h"

#include "guard.h"
#include "logging_and_config.h"
#include "system_daemon_interface.h"
#include "vconfig_watcher.h"

#include <vnotifysender.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDate>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString kAppName = QStringLiteral("ostrel-app-store");
const QString kNoticeNode = QStringLiteral("upgradeNoticeTime");
const QString kDateFormat = QStringLiteral("yyyyMMdd");
constexpr int kNamesShown = 3;

QJsonObject objectOf(const QString &json)
{
    return QJsonDocument::fromJson(json.toUtf8()).object();
}

QVariant storeSetting(const QString &key)
{
    return VConfigWatcher::instance()->getValueSync(QString::fromLatin1(kVConfigAppStoreAppId),
                                                    QString::fromLatin1(kVConfigAppStoreName),
                                                    QString(), key);
}

// "2 apps: App1, App2", naming at most three.
QString noticeBody(const QStringList &names)
{
    const int count = names.size();
    QString body = count == 1 ? QCoreApplication::translate("QObject", "1 app")
                              : QCoreApplication::translate("QObject", "%n apps", nullptr, count);
    body += QLatin1String(": ") + names.mid(0, kNamesShown).join(QLatin1String(", "));
    if (count > kNamesShown)
        body += QLatin1String("...");
    return body;
}

} // namespace

void AppstoreDaemonInterface::callNotify(const QString &summary, const QString &body,
                                         const QString &clientArgument, const QString &origin)
{
    const QStringList actions = {QStringLiteral("show_detail"),
                                 QCoreApplication::translate("QObject", "View")};
    const QString command =
        QStringLiteral("ostrel-yarl-appstore-client,%1,--from,%2").arg(clientArgument).arg(origin);
    const QVariantMap hints = {{QStringLiteral("x-ostrel-action-show_detail"), command}};
    Vmo::Core::VUtil::VNotifySender(summary)
        .appName(kAppName)
        .replaceId(0)
        .appIcon(kAppName)
        .appBody(body)
        .actions(actions)
        .hints(hints)
        .timeOut(-1)
        .call();
}

void AppstoreDaemonInterface::slotLocalAppsUpgradeNotify(const QStringList &infos)
{
    if (infos.isEmpty())
        return;
    Guard guard(trimHeap);
    if (getLocalUpgradeCheckStatus())
        return;

    const QDate lastNotice = QDate::fromString(readNotifyTime(), kDateFormat);
    const QDate today = QDate::currentDate();
    qCDebug(logMain).noquote() << QStringLiteral("Last notify date: %1, current date: %2")
                                      .arg(lastNotice.toString(kDateFormat),
                                           today.toString(kDateFormat));
    if (today == lastNotice)
        return;

    QStringList names;
    for (const QString &info : infos) {
        const QJsonObject app = objectOf(info);
        if (m_isWayland && app.value(QLatin1String("supportWayland")) != QJsonValue(1))
            continue;
        if (m_ignoredUpdateApps.contains(app.value(QLatin1String("package_name")).toString()))
            continue;
        names.append(app.value(QLatin1String("name")).toString());
    }
    if (names.isEmpty())
        return;

    const QString body = noticeBody(names);
    const QVariant muted = storeSetting(QStringLiteral("updateAppsNotNotify"));
    if (muted.isValid() && muted.toBool())
        return;
    callNotify(QCoreApplication::translate("QObject", "App Updates are available"), body,
               QStringLiteral("appstore://ostrel-yarl-appstore-client?tab/update"),
               QStringLiteral("5b3c9e1f0a7d4c2e9f6b8a1d3e5c7f90"));
    writeNotifyTime();
}

bool AppstoreDaemonInterface::getLocalUpgradeCheckStatus()
{
    // Through the standard properties interface, so the read does not depend
    // on the daemon having been introspectable when the bridge was made.
    QDBusMessage get = QDBusMessage::createMethodCall(
        m_daemonInterface->service(), m_daemonInterface->path(),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << m_daemonInterface->interface() << QStringLiteral("LocalUpgradeCheckStatus");
    const QDBusMessage reply = m_daemonInterface->connection().call(get);
    QVariant value;
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
        value = reply.arguments().constFirst().value<QDBusVariant>().variant();
    const bool status = value.toBool();
    qCDebug(logMain) << "LocalUpgradeCheckStatus:" << status;
    return status;
}

QString AppstoreDaemonInterface::readNotifyTime()
{
    QString date = QStringLiteral("19700101");
    const QDBusMessage reply =
        m_daemonInterface->call(QStringLiteral("GetConfigByNodeName"), kNoticeNode);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        qCWarning(logMain).noquote()
            << "GetConfigByNodeName upgradeNoticeTime failed:" << reply.errorMessage();
        return date;
    }
    if (!reply.arguments().isEmpty())
        date = reply.arguments().constFirst().toString();
    return date;
}

void AppstoreDaemonInterface::writeNotifyTime()
{
    m_daemonInterface->call(QDBus::NoBlock, QStringLiteral("SetConfigByNodeName"), kNoticeNode,
                            QDate::currentDate().toString(kDateFormat));
}

// The slot's signature is the configuration watcher's signal's.
// NOLINTBEGIN(performance-unnecessary-value-param)
void AppstoreDaemonInterface::slotVConfigValueChanged(const QString &appId, const QString &name,
                                                      QString subpath, const QString &key,
                                                      const QVariant &value)
// NOLINTEND(performance-unnecessary-value-param)
{
    Q_UNUSED(subpath)
    if (appId != QLatin1String(kVConfigAppStoreAppId) ||
        name != QLatin1String(kVConfigAppStoreName))
        return;
    Guard guard(trimHeap);
    if (key == QLatin1String("appsIgnoreUpdates"))
        m_ignoredUpdateApps = value.toStringList();
}

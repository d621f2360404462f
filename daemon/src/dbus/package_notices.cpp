// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The bridge's package notices: the notification for a finished package
// operation, the relay that turns the system daemon's per-user notices into
// it, and the set-up script a finished installation may ask for.

#include "appstore_daemon_interface.h"

#include "guard.h"
#include "logging_and_config.h"
#include "path_component.h"
#include "system_notification_data.h"

#include <vnotifysender.h>

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QProcess>

namespace {

const QString kAppName = QStringLiteral("ostrel-app-store");

} // namespace

void AppstoreDaemonInterface::callPkgOpNotify(const E_OptStatus &status, const QString &appName,
                                              const QString &packageName)
{
    QString summary;
    QString icon;
    // Compared unsigned: a negative status is out of range like any other.
    switch (quint32(status)) {
    case OptNone:
        return;
    case InstallSuccess:
        summary =
            QCoreApplication::translate("QObject", "\"%1\" installed successfully").arg(appName);
        icon = QStringLiteral("package-install-succeed");
        break;
    case InstallFailed:
        summary = QCoreApplication::translate("QObject", "Failed to install \"%1\"").arg(appName);
        icon = QStringLiteral("package-install-failed");
        break;
    case UpdateSuccess:
        summary =
            QCoreApplication::translate("QObject", "\"%1\" updated successfully").arg(appName);
        icon = QStringLiteral("package-updated-succeed");
        break;
    case UpdateFailed:
        summary = QCoreApplication::translate("QObject", "Failed to update \"%1\"").arg(appName);
        icon = QStringLiteral("package-updated-failed");
        break;
    case RemoveSuccess:
        summary = QCoreApplication::translate("QObject", "%1 removed successfully")
                      .arg(appName.isEmpty() ? packageName : appName);
        icon = QStringLiteral("application-default-icon");
        break;
    case RemoveFailed:
        summary = QCoreApplication::translate("QObject", "Failed to remove the app");
        icon = QStringLiteral("application-default-icon");
        break;
    case NewVersionAvailable:
        summary =
            QCoreApplication::translate("QObject", "\"%1\" new version available").arg(appName);
        break;
    default:
        break;
    }
    Vmo::Core::VUtil::VNotifySender(summary)
        .appName(kAppName)
        .replaceId(0)
        .appIcon(icon)
        .appBody(QString())
        .actions(QStringList())
        .hints(QVariantMap())
        .timeOut(3000)
        .call();
}

void AppstoreDaemonInterface::slotSystemNotificationSent(const QString &noticeJsonStr)
{
    // Every session receives every notice: with the session's user unknown,
    // none of them can be told to be this user's.
    if (!m_relaySystemNotifications || m_userName.isEmpty())
        return;
    Guard guard(trimHeap);
    _System_Notification_Data notice;
    if (!notice.fromJsonString(noticeJsonStr))
        return;
    if (notice.opt == OptNone && notice.appName.isEmpty() && notice.packageName.isEmpty() &&
        notice.logname.isEmpty())
        return;
    if (notice.logname != m_userName)
        return;
    callPkgOpNotify(notice.opt, notice.appName, notice.packageName);
}

QPair<QString, int> AppstoreDaemonInterface::parseAppInfoJson(const QString &json)
{
    const QPair<QString, int> noBottle(QString(), -1);
    if (json.trimmed().isEmpty())
        return noBottle;
    QJsonParseError error = {};
    const QJsonDocument document = QJsonDocument::fromJson(json.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        qCWarning(logMain) << "parse AppBriefInfo failed:" << error.errorString() << json;
        return noBottle;
    }
    const QJsonObject top = document.object();
    if (!top.contains(QLatin1String("appBriefInfo")))
        return noBottle;
    const QJsonObject brief = top.value(QLatin1String("appBriefInfo")).toObject();
    const QString packageName = brief.value(QLatin1String("package_name")).toString();
    if (packageName.isEmpty() || brief.value(QLatin1String("package_mode")).toInt(-1) != 1 ||
        brief.value(QLatin1String("pkgInstallMode")).toInt(0) != 1)
        return noBottle;
    return {packageName, brief.value(QLatin1String("package_mode")).toInt(0)};
}

void AppstoreDaemonInterface::slotInstallProgress(const QString &id, const QString &packageName,
                                                  const int &state, const int &total,
                                                  const int &progress, const QString &statusMsg)
{
    if (id != kAppName || state != 1 || progress != total)
        return;
    Guard guard(trimHeap);
    const QPair<QString, int> brief = parseAppInfoJson(statusMsg);
    qCDebug(logMain).noquote() << QStringLiteral("Package %1 install succeeded, package_mode: %2")
                                      .arg(packageName)
                                      .arg(brief.second);
    if (brief.first.isEmpty() || brief.second != 1)
        return;
    // The name becomes a path below /opt/apps: it must not lead elsewhere.
    if (!isSinglePathComponent(packageName)) {
        qCWarning(logMain) << "Invalid package name, skip creating bottle:" << packageName;
        return;
    }
    const QString script = QStringLiteral("/opt/apps/%1/files/run.sh").arg(packageName);
    if (!QFile::exists(script)) {
        qCWarning(logMain).noquote()
            << QStringLiteral("Package %1 run.sh not found, skip creating bottle").arg(packageName);
        return;
    }
    // The path reaches the script as bash's $0, never as shell text, so no
    // character of the name is interpreted; the script runs through its own
    // interpreter line with the single argument "-c".
    QProcess::startDetached(QStringLiteral("bash"),
                            {QStringLiteral("-c"), QStringLiteral("exec \"$0\" -c"), script});
}

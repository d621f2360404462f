// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QDBusPendingCall>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace Vmo {
namespace Core {
namespace VUtil {

// Builds one desktop notification and sends it to the session's notification
// service ("org.freedesktop.Notifications"). Each setter returns the builder by
// value so that the calls chain; call() sends without waiting. A notification
// sent while no server owns the name is held and shown once one takes it
// (NotificationDelivery).
class VNotifySender
{
public:
    explicit VNotifySender(const QString &summary);

    VNotifySender appName(const QString &name);
    VNotifySender replaceId(unsigned int id);
    VNotifySender appIcon(const QString &icon);
    VNotifySender appBody(const QString &body);
    VNotifySender actions(const QStringList &actions);
    VNotifySender hints(const QMap<QString, QVariant> &hints);
    VNotifySender timeOut(int milliseconds);

    // Sends Notify on the session bus; the reply carries the notification's id
    // (an error when no server took it at once: it may still be shown later).
    QDBusPendingCall call() const;

private:
    QString m_appName;
    unsigned int m_replaceId = 0;
    QString m_appIcon;
    QString m_summary;
    QString m_body;
    QStringList m_actions;
    QVariantMap m_hints;
    int m_timeOut = -1;
};

} // namespace VUtil
} // namespace Core
} // namespace Vmo

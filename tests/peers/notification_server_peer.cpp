// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// A desktop notification server on the (private) session bus: owns
// "org.freedesktop.Notifications" at "/org/freedesktop/Notifications",
// answers Notify with increasing ids and records every Notify with all eight
// arguments on standard output.

#include "call_record.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

class Server : public QObject, protected QDBusContext
{
    Q_OBJECT

public:
    QString caller() const { return message().service(); }
    uint lastId = 0;
};

class NotificationsAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    explicit NotificationsAdaptor(Server *server)
        : QDBusAbstractAdaptor(server)
        , m_server(server)
    {}

public Q_SLOTS:
    uint Notify(const QString &appName, uint replacesId, const QString &appIcon,
                const QString &summary, const QString &body, const QStringList &actions,
                const QVariantMap &hints, int expireTimeout)
    {
        recordCall(QStringLiteral("Notify"),
                   {appName, replacesId, appIcon, summary, body, actions, hints, expireTimeout},
                   m_server->caller());
        return ++m_server->lastId;
    }

    QStringList GetCapabilities() { return {QStringLiteral("actions"), QStringLiteral("body")}; }

    QString GetServerInformation(QString &vendor, QString &version, QString &specVersion)
    {
        vendor = QStringLiteral("ostrel tests");
        version = QStringLiteral("1.0");
        specVersion = QStringLiteral("1.2");
        return QStringLiteral("notification-server-peer");
    }

private:
    Server *m_server;
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    Server server;
    new NotificationsAdaptor(&server);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &server) ||
        !bus.registerService(QStringLiteral("org.freedesktop.Notifications"))) {
        std::fprintf(stderr, "notification-server-peer: cannot register on the session bus\n");
        return 1;
    }
    announceReady();
    return QCoreApplication::exec();
}

#include "notification_server_peer.moc"

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// A stand-in for the system app-store daemon on the (private) system bus:
// "com.yarl.appstore.daemon" at "/appstore". It records every call on
// standard output, keeps the values of SetConfigByNodeName, and, when a test
// asks through "org.ostrel.test.AppstoreDaemon", emits its two signals,
// changes LocalUpgradeCheckStatus, answers a method with an error or hangs.
// --upgrade-check-status starts it with LocalUpgradeCheckStatus true; --hang
// makes it own the name and then answer nothing at all, until it is ended.

#include "call_record.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QMap>
#include <QSet>
#include <QThread>

#include <utility>

#include <unistd.h>

class Daemon : public QObject, protected QDBusContext
{
    Q_OBJECT

public:
    QString caller() const { return calledFromDBus() ? message().service() : QString(); }

    // Records the call; true when it was answered with an error instead.
    bool record(const QString &member, const QVariantList &args)
    {
        recordCall(member, args, caller());
        if (!failing.contains(member))
            return false;
        sendErrorReply(QStringLiteral("org.ostrel.Error.Failed"),
                       QStringLiteral("%1 failed on request").arg(member));
        return true;
    }

    QMap<QString, QString> config;
    QSet<QString> failing;
    bool upgradeCheckStatus = false;
    // Seconds the next read of LocalUpgradeCheckStatus hangs the whole daemon.
    int stallSeconds = 0;
};

class DaemonAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.yarl.appstore.daemon.interface")
    Q_PROPERTY(bool LocalUpgradeCheckStatus READ localUpgradeCheckStatus)

public:
    explicit DaemonAdaptor(Daemon *daemon)
        : QDBusAbstractAdaptor(daemon)
        , m_daemon(daemon)
    {}
    bool localUpgradeCheckStatus() const
    {
        if (m_daemon->stallSeconds > 0)
            QThread::sleep(unsigned(std::exchange(m_daemon->stallSeconds, 0)));
        return m_daemon->upgradeCheckStatus;
    }

public Q_SLOTS:
    QString GetConfigByNodeName(const QString &node)
    {
        if (m_daemon->record(QStringLiteral("GetConfigByNodeName"), {node}))
            return QString();
        return m_daemon->config.value(node);
    }
    void SetConfigByNodeName(const QString &node, const QString &value)
    {
        if (!m_daemon->record(QStringLiteral("SetConfigByNodeName"), {node, value}))
            m_daemon->config.insert(node, value);
    }
    void SetSystemProxy(const QString &user, const QString &environment)
    {
        m_daemon->record(QStringLiteral("SetSystemProxy"), {user, environment});
    }
    void reportMode(const QString &mode) { m_daemon->record(QStringLiteral("reportMode"), {mode}); }
    void reportManualInfo(const QString &type, const QString &first, const QString &second)
    {
        m_daemon->record(QStringLiteral("reportManualInfo"), {type, first, second});
    }

Q_SIGNALS:
    void sigLocalAppsUpgradeNotify(const QStringList &infos);
    void sigSystemNotificationSent(const QString &notice);

private:
    Daemon *m_daemon;
};

class ControlAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.ostrel.test.AppstoreDaemon")

public:
    ControlAdaptor(Daemon *daemon, DaemonAdaptor *signals)
        : QDBusAbstractAdaptor(daemon)
        , m_daemon(daemon)
        , m_signals(signals)
    {}

public Q_SLOTS:
    void EmitLocalAppsUpgradeNotify(const QStringList &infos)
    {
        Q_EMIT m_signals->sigLocalAppsUpgradeNotify(infos);
    }
    // Recorded as it is emitted, for the time it takes to become a notification.
    void EmitSystemNotificationSent(const QString &notice)
    {
        recordCall(QStringLiteral("EmitSystemNotificationSent"), {notice}, m_daemon->caller());
        Q_EMIT m_signals->sigSystemNotificationSent(notice);
    }
    // The same signals count times in a row, for the benchmarks.
    void EmitManySystemNotifications(const QString &notice, int count)
    {
        for (int i = 0; i < count; ++i)
            Q_EMIT m_signals->sigSystemNotificationSent(notice);
    }
    void EmitManyLocalAppsUpgradeNotifies(const QStringList &infos, int count)
    {
        for (int i = 0; i < count; ++i)
            Q_EMIT m_signals->sigLocalAppsUpgradeNotify(infos);
    }
    void SetLocalUpgradeCheckStatus(bool status) { m_daemon->upgradeCheckStatus = status; }
    // The next read of LocalUpgradeCheckStatus hangs the daemon for seconds.
    void StallNextStatusRead(int seconds) { m_daemon->stallSeconds = seconds; }
    // Answers member with an error from now on (fail true) or normally again.
    void SetFailing(const QString &member, bool fail)
    {
        if (fail)
            m_daemon->failing.insert(member);
        else
            m_daemon->failing.remove(member);
    }

private:
    Daemon *m_daemon;
    DaemonAdaptor *m_signals;
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption checking(QStringLiteral("upgrade-check-status"),
                                      QStringLiteral("Start with LocalUpgradeCheckStatus true."));
    parser.addOption(checking);
    const QCommandLineOption hang(QStringLiteral("hang"),
                                  QStringLiteral("Own the name, then answer nothing."));
    parser.addOption(hang);
    parser.process(app);

    Daemon daemon;
    daemon.upgradeCheckStatus = parser.isSet(checking);
    auto *adaptor = new DaemonAdaptor(&daemon);
    new ControlAdaptor(&daemon, adaptor);
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.registerObject(QStringLiteral("/appstore"), &daemon) ||
        !bus.registerService(QStringLiteral("com.yarl.appstore.daemon"))) {
        std::fprintf(stderr, "appstore-daemon-peer: cannot register on the system bus\n");
        return 1;
    }
    announceReady();
    if (parser.isSet(hang)) {
        for (;;)
            pause();
    }
    return QCoreApplication::exec();
}

#include "appstore_daemon_peer.moc"

// A stand-in for the system app-store daemon on the (private) system bus:
// "com.yarl.appstore.daemon" at "/appstore". It records every call on
// standard output, keeps the values of SetConfigByNodeName, and emits its two
// signals when a test asks through "org.ostrel.test.AppstoreDaemon".

#include "call_record.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QMap>

class Daemon : public QObject, protected QDBusContext
{
    Q_OBJECT

public:
    QString sender() const { return calledFromDBus() ? message().service() : QString(); }
    QMap<QString, QString> config;
    bool upgradeCheckStatus = false;
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
    bool localUpgradeCheckStatus() const { return m_daemon->upgradeCheckStatus; }

public Q_SLOTS:
    QString GetConfigByNodeName(const QString &node)
    {
        recordCall(QStringLiteral("GetConfigByNodeName"), {node}, m_daemon->sender());
        return m_daemon->config.value(node);
    }
    void SetConfigByNodeName(const QString &node, const QString &value)
    {
        recordCall(QStringLiteral("SetConfigByNodeName"), {node, value}, m_daemon->sender());
        m_daemon->config.insert(node, value);
    }
    void SetSystemProxy(const QString &user, const QString &environment)
    {
        recordCall(QStringLiteral("SetSystemProxy"), {user, environment}, m_daemon->sender());
    }
    void reportMode(const QString &mode)
    {
        recordCall(QStringLiteral("reportMode"), {mode}, m_daemon->sender());
    }
    void reportManualInfo(const QString &type, const QString &first, const QString &second)
    {
        recordCall(QStringLiteral("reportManualInfo"), {type, first, second}, m_daemon->sender());
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
    void EmitSystemNotificationSent(const QString &notice)
    {
        Q_EMIT m_signals->sigSystemNotificationSent(notice);
    }
    void SetLocalUpgradeCheckStatus(bool status) { m_daemon->upgradeCheckStatus = status; }

private:
    Daemon *m_daemon;
    DaemonAdaptor *m_signals;
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    Daemon daemon;
    auto *adaptor = new DaemonAdaptor(&daemon);
    new ControlAdaptor(&daemon, adaptor);
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.registerObject(QStringLiteral("/appstore"), &daemon) ||
        !bus.registerService(QStringLiteral("com.yarl.appstore.daemon"))) {
        std::fprintf(stderr, "appstore-daemon-peer: cannot register on the system bus\n");
        return 1;
    }
    announceReady();
    return QCoreApplication::exec();
}

#include "appstore_daemon_peer.moc"

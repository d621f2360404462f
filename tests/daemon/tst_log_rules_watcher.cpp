// The log rules watcher against real dconf on a private session bus, judged
// by what the categories print. This process starts with QT_LOGGING_RULES
// set, the way a user's environment sets it.

#include "bus_helpers.h"
#include "log_capture.h"
#include "log_rules_watcher.h"
#include "plugin.h"
#include "private_desktop.h"
#include "session_processes.h"
#include "vconfig_watcher.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

const char kEnvironmentRules[] = "probe.env.debug=false;;probe.both.debug=false";
const QString kConfigurationRules = QStringLiteral("'probe.both.debug=true;probe.conf.info=false'");
const QString kAppId = QString::fromLatin1(kVConfigAppStoreAppId);
const QString kName = QString::fromLatin1(kVConfigAppStoreName);
const QString kRulesPath = QStringLiteral("/ostrel-app-store/org.ostrel.app-store/log_rules");
const QStringList kAll = {QStringLiteral("debug"), QStringLiteral("info"),
                          QStringLiteral("warning"), QStringLiteral("critical")};

QStringList allBut(const QString &level)
{
    QStringList levels = kAll;
    levels.removeOne(level);
    return levels;
}

// The levels at which the category prints.
QStringList printed(const QLoggingCategory &object)
{
    const auto category = [&]() -> const QLoggingCategory & { return object; };
    LogCapture log;
    qCDebug(category) << "x";
    qCInfo(category) << "x";
    qCWarning(category) << "x";
    qCCritical(category) << "x";
    QStringList levels;
    for (const QString &line : log.linesOf(object.categoryName()))
        levels.append(line.section(QLatin1Char('|'), 0, 0));
    return levels;
}

} // namespace

class TestLogRulesWatcher : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LogRulesWatcher> m_watcher;
    // Made before the watcher: they follow its rules from then on.
    QLoggingCategory m_env{"probe.env"};
    QLoggingCategory m_both{"probe.both"};
    QLoggingCategory m_conf{"probe.conf"};

    const QLoggingCategory &category(const QByteArray &name) const
    {
        return name == "probe.env" ? m_env : name == "probe.both" ? m_both : m_conf;
    }

    // Writes from another process, as a user does, and waits until the
    // configuration watcher has passed the change on.
    void dconf(const QStringList &arguments)
    {
        QSignalSpy changed(VConfigWatcher::instance(), &VConfigWatcher::sigValueChanged);
        QCOMPARE(runTool(QStringLiteral("dconf"), arguments), 0);
        QTRY_COMPARE_WITH_TIMEOUT(changed.count(), 1, 10000);
    }

private Q_SLOTS:
    void initTestCase()
    {
        dconf({QStringLiteral("write"), kRulesPath, kConfigurationRules});
        // Configurations that differ from the store's in one part only.
        VConfigWatcher *config = VConfigWatcher::instance();
        QVERIFY(config->addVConfig(kAppId, kName, QStringLiteral("sub")));
        QVERIFY(config->addVConfig(QStringLiteral("other-app"), kName, QString()));
        QVERIFY(config->addVConfig(kAppId, QStringLiteral("org.other.name"), QString()));
        m_watcher = std::make_unique<LogRulesWatcher>(nullptr);
    }

    void removesTheEnvironmentVariable()
    {
        QVERIFY(!qEnvironmentVariableIsSet("QT_LOGGING_RULES"));
    }

    void startsWithTheEnvironmentThenTheConfiguration_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("madeLater");
        QTest::addColumn<QStringList>("levels");
        QTest::newRow("environment rule") << QByteArray("probe.env") << false << allBut("debug");
        QTest::newRow("configuration over environment")
            << QByteArray("probe.both") << false << kAll;
        QTest::newRow("configuration over environment, category made later")
            << QByteArray("probe.both") << true << kAll;
        QTest::newRow("configuration rule") << QByteArray("probe.conf") << false << allBut("info");
        QTest::newRow("no rule") << QByteArray("probe.none") << true << kAll;
    }

    void startsWithTheEnvironmentThenTheConfiguration()
    {
        QFETCH(QByteArray, name);
        QFETCH(bool, madeLater);
        QFETCH(QStringList, levels);
        if (madeLater) {
            const QLoggingCategory later(name.constData());
            QCOMPARE(printed(later), levels);
        } else {
            QCOMPARE(printed(category(name)), levels);
        }
    }

    void followsTheConfiguration_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QStringList>("levels");
        const QByteArray env = "probe.env", conf = "probe.conf";
        // Before each row the rules are "probe.conf.critical=false".
        QTest::newRow("new rules")
            << kRulesPath << "'probe.conf.warning=false'" << conf << allBut("warning");
        QTest::newRow("empty value") << kRulesPath << "''" << conf << kAll;
        QTest::newRow("blanks around rules")
            << kRulesPath << "' probe.conf.debug=false ;;\\tprobe.conf.info = false  '" << conf
            << QStringList({QStringLiteral("warning"), QStringLiteral("critical")});
        QTest::newRow("over the environment")
            << kRulesPath << "'probe.env.debug=true'" << env << kAll;
        QTest::newRow("wildcard at the end")
            << kRulesPath << "'probe.e*.debug=true'" << env << kAll;
        QTest::newRow("wildcard at the start") << kRulesPath << "'*.env=true'" << env << kAll;
        QTest::newRow("wildcards at both ends") << kRulesPath << "'*be.en*=true'" << env << kAll;
        QTest::newRow("the last rule decides")
            << kRulesPath << "'probe.env.debug=false;probe.env.debug=true'" << env << kAll;
        QTest::newRow("rules on lines of one piece")
            << kRulesPath << "'probe.conf.debug=false\\nprobe.env.debug=true'" << env << kAll;
        QTest::newRow("malformed rules ignored")
            << kRulesPath
            << "'probe.env.debug=true;probe.env.debug=no;probe.env=true=false;pro*e.env=false;"
               "probe.env.debug;[Other]\\nprobe.env.debug=false'"
            << env << kAll;
        QTest::newRow("another key")
            << QStringLiteral("/ostrel-app-store/org.ostrel.app-store/rules")
            << "'probe.conf.debug=false'" << conf << allBut("critical");
        QTest::newRow("a subpath")
            << QStringLiteral("/ostrel-app-store/org.ostrel.app-store/sub/log_rules")
            << "'probe.conf.debug=false'" << conf << allBut("critical");
        QTest::newRow("another application id")
            << QStringLiteral("/other-app/org.ostrel.app-store/log_rules")
            << "'probe.conf.debug=false'" << conf << allBut("critical");
        QTest::newRow("another configuration name")
            << QStringLiteral("/ostrel-app-store/org.other.name/log_rules")
            << "'probe.conf.debug=false'" << conf << allBut("critical");
    }

    void followsTheConfiguration()
    {
        QFETCH(QString, path);
        QFETCH(QString, value);
        QFETCH(QByteArray, name);
        QFETCH(QStringList, levels);
        // dconf announces a value only when it changes.
        dconf({QStringLiteral("reset"), kRulesPath});
        dconf({QStringLiteral("write"), kRulesPath, QStringLiteral("'probe.conf.critical=false'")});
        QCOMPARE(printed(m_conf), allBut("critical"));
        dconf({QStringLiteral("write"), path, value});
        QCOMPARE(printed(category(name)), levels);
    }

    // The host applies the rules before it loads the plug-in.
    void governsThePluginInTheHost()
    {
        dconf({QStringLiteral("write"), kRulesPath,
               QStringLiteral("'com.ostrel.app-store.session-daemon.debug=true'")});
        qputenv("QT_LOGGING_RULES", "com.ostrel.app-store.session-daemon.debug=false");
        Host host;
        const bool started = host.start({});
        qunsetenv("QT_LOGGING_RULES");
        QVERIFY(started);
        QVERIFY(callInstance(QDBusConnection::sessionBus(),
                             QStringLiteral("com.ostrel.appstore.daemon")));
        QTRY_VERIFY(host.pluginLines().contains(
            QStringLiteral("debug|Ostrel Appstore Session Daemon started")));
        QCOMPARE(host.stop(), 0);
    }
};

int main(int argc, char *argv[])
{
    PrivateDesktop desktop;
    if (!desktop.isValid()) {
        qCritical("cannot start the private desktop (dbus-daemon, dconf)");
        return 1;
    }
    // Qt reads the variable once, when the first category is made.
    qputenv("QT_LOGGING_RULES", kEnvironmentRules);
    QCoreApplication app(argc, argv);
    TestLogRulesWatcher test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_log_rules_watcher.moc"

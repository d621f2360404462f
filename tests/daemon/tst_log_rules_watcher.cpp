// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The log rules watcher against real dconf on a private session bus, judged
// by what the categories print. This process has logged before the watcher
// is made, so Qt has applied QT_LOGGING_RULES by itself, as it does in a
// host that logs before it makes the watcher.

#include "bus_helpers.h"
#include "log_capture.h"
#include "log_rules_watcher.h"
#include "private_desktop.h"
#include "session_processes.h"
#include "vconfig_watcher.h"

#include <QLoggingCategory>
#include <QSignalSpy>
#include <QTest>

#include <map>
#include <memory>

namespace {

const QString kRulesPath = QStringLiteral("/ostrel-app-store/org.ostrel.app-store/log_rules");
const QStringList kAll = {QStringLiteral("debug"), QStringLiteral("info"),
                          QStringLiteral("warning"), QStringLiteral("critical")};

QStringList allBut(const char *level)
{
    QStringList levels = kAll;
    levels.removeOne(QLatin1String(level));
    return levels;
}

// Writes as a user does, from another process, and waits until the
// configuration watcher has passed the change on.
void dconf(const QStringList &arguments)
{
    QSignalSpy changed(VConfigWatcher::instance(), &VConfigWatcher::sigValueChanged);
    QCOMPARE(runTool(QStringLiteral("dconf"), arguments), 0);
    QTRY_COMPARE_WITH_TIMEOUT(changed.count(), 1, 10000);
}

} // namespace

class TestLogRulesWatcher : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LogRulesWatcher> m_watcher;
    // Each made on first use and kept, so that rules are seen to reach new
    // categories and existing ones.
    std::map<QByteArray, std::unique_ptr<QLoggingCategory>> m_categories;

    // The levels at which the category prints.
    QStringList printed(const QByteArray &name)
    {
        const auto entry = m_categories.try_emplace(name).first;
        if (!entry->second)
            entry->second = std::make_unique<QLoggingCategory>(entry->first.constData());
        const QLoggingCategory &object = *entry->second;
        const auto category = [&]() -> const QLoggingCategory & { return object; };
        LogCapture log;
        qCDebug(category) << "x";
        qCInfo(category) << "x";
        qCWarning(category) << "x";
        qCCritical(category) << "x";
        QStringList levels;
        for (const QString &line : log.linesOf(name.constData()))
            levels.append(line.section(QLatin1Char('|'), 0, 0));
        return levels;
    }

private Q_SLOTS:
    void initTestCase()
    {
        dconf({QStringLiteral("write"), kRulesPath,
               QStringLiteral("'probe.both.debug=true;probe.conf.info=false'")});
        VConfigWatcher *config = VConfigWatcher::instance();
        const QString appId = QStringLiteral("ostrel-app-store");
        const QString name = QStringLiteral("org.ostrel.app-store");
        QVERIFY(config->addVConfig(appId, name, QStringLiteral("sub")));
        QVERIFY(config->addVConfig(QStringLiteral("other-app"), name, QString()));
        QVERIFY(config->addVConfig(appId, QStringLiteral("org.other.name"), QString()));
        QCOMPARE(printed("probe.both"), allBut("debug")); // Qt applies the environment's rules
        m_watcher = std::make_unique<LogRulesWatcher>(nullptr);
        QVERIFY(!qEnvironmentVariableIsSet("QT_LOGGING_RULES"));
    }

    void startsWithTheEnvironmentThenTheConfiguration_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QStringList>("levels");
        QTest::newRow("environment rule") << QByteArray("probe.env") << allBut("debug");
        QTest::newRow("configuration over environment, category made before")
            << QByteArray("probe.both") << kAll;
        QTest::newRow("configuration rule") << QByteArray("probe.conf") << allBut("info");
        QTest::newRow("no rule") << QByteArray("probe.none") << kAll;
    }

    void startsWithTheEnvironmentThenTheConfiguration()
    {
        QFETCH(QByteArray, name);
        QFETCH(QStringList, levels);
        QCOMPARE(printed(name), levels);
    }

    void followsTheConfiguration_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QStringList>("levels");
        const QByteArray env = "probe.env", conf = "probe.conf";
        // Before each row the rules are "probe.conf.critical=false".
        const QStringList before = allBut("critical");
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
        QTest::newRow("malformed rules ignored")
            << kRulesPath
            << "'probe.env.debug=true;probe.env.debug=no;probe.env=true=false;pro*e.env=false;"
               "probe.env.debug;[Other]\\nprobe.env.debug=false'"
            << env << kAll;
        const QString otherRules = QStringLiteral("'probe.conf.debug=false'");
        QTest::newRow("another key")
            << QStringLiteral("/ostrel-app-store/org.ostrel.app-store/rules") << otherRules << conf
            << before;
        QTest::newRow("a subpath")
            << QStringLiteral("/ostrel-app-store/org.ostrel.app-store/sub/log_rules") << otherRules
            << conf << before;
        QTest::newRow("another application id")
            << QStringLiteral("/other-app/org.ostrel.app-store/log_rules") << otherRules << conf
            << before;
        QTest::newRow("another configuration name")
            << QStringLiteral("/ostrel-app-store/org.other.name/log_rules") << otherRules << conf
            << before;
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
        dconf({QStringLiteral("write"), path, value});
        QCOMPARE(printed(name), levels);
    }

    // The host makes a watcher before it loads the plug-in.
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
    if (!desktop.isValid())
        return 1;
    // Qt reads the variable when the first category is made.
    qputenv("QT_LOGGING_RULES", "probe.env.debug=false;;probe.both.debug=false");
    QCoreApplication app(argc, argv);
    TestLogRulesWatcher test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_log_rules_watcher.moc"

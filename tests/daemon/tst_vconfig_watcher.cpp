// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The configuration watcher against real dconf on a private session bus.

#include "log_capture.h"
#include "logging_and_config.h"
#include "test_main.h"
#include "vconfig_watcher.h"

#include <QProcess>
#include <QSignalSpy>

namespace {

const QString kAppId = QString::fromLatin1(kVConfigAppStoreAppId);
const QString kName = QString::fromLatin1(kVConfigAppStoreName);
const QString kDir = QStringLiteral("/ostrel-app-store/org.ostrel.app-store/");
const char kCategory[] = "com.ostrel.app-store.session-daemon";

void dconfWrite(const QString &path, const QString &value)
{
    QCOMPARE(runTool(QStringLiteral("dconf"), {QStringLiteral("write"), path, value}), 0);
}

QString dconfRead(const QString &path)
{
    QProcess dconf;
    dconf.start(QStringLiteral("dconf"), {QStringLiteral("read"), path});
    dconf.waitForFinished();
    return QString::fromUtf8(dconf.readAllStandardOutput()).trimmed();
}

// Waits for changes already on their way, then for nothing more to come.
void settle(QSignalSpy &spy, int expected)
{
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), expected, 5000);
    QTest::qWait(200);
    QCOMPARE(spy.count(), expected);
}

} // namespace

class TestVConfigWatcher : public QObject
{
    Q_OBJECT

private:
    VConfigWatcher *m_watcher = nullptr;

private Q_SLOTS:
    void init()
    {
        QCOMPARE(runTool(QStringLiteral("dconf"), {QStringLiteral("reset"), QStringLiteral("-f"),
                                                   QStringLiteral("/ostrel-app-store/")}),
                 0);
        m_watcher = new VConfigWatcher;
    }

    void cleanup()
    {
        delete m_watcher;
        m_watcher = nullptr;
    }

    void instanceIsOneObject()
    {
        QVERIFY(VConfigWatcher::instance());
        QCOMPARE(VConfigWatcher::instance(), VConfigWatcher::instance());
    }

    void readsWhatDconfHolds()
    {
        dconfWrite(kDir + QStringLiteral("appsIgnoreUpdates"),
                   QStringLiteral("['org.a', 'org.b']"));
        dconfWrite(kDir + QStringLiteral("updateAppsNotNotify"), QStringLiteral("true"));
        dconfWrite(kDir + QStringLiteral("log_rules"), QStringLiteral("'*.debug=false'"));
        LogCapture log;
        QCOMPARE(
            m_watcher->getValueSync(kAppId, kName, QString(), QStringLiteral("appsIgnoreUpdates")),
            QVariant(QStringList({QStringLiteral("org.a"), QStringLiteral("org.b")})));
        QCOMPARE(m_watcher->getValueSync(kAppId, kName, QString(),
                                         QStringLiteral("updateAppsNotNotify")),
                 QVariant(true));
        QCOMPARE(
            m_watcher->getValueSync(kAppId, kName, QStringLiteral(""), QStringLiteral("log_rules")),
            QVariant(QStringLiteral("*.debug=false")));
        QVERIFY(
            !m_watcher->getValueSync(kAppId, kName, QString(), QStringLiteral("absent")).isValid());
        QVERIFY(log.lines().isEmpty());
    }

    void writesAndReportsTheChange()
    {
        QSignalSpy spy(m_watcher, &VConfigWatcher::sigValueChanged);
        m_watcher->setValue(kAppId, kName, QString(), QStringLiteral("updateAppsNotNotify"), true);
        settle(spy, 1);
        QCOMPARE(spy.at(0).at(3).toString(), QStringLiteral("updateAppsNotNotify"));
        QCOMPARE(spy.at(0).at(4), QVariant(true));
        QCOMPARE(dconfRead(kDir + QStringLiteral("updateAppsNotNotify")), QStringLiteral("true"));
        QCOMPARE(m_watcher->getValueSync(kAppId, kName, QString(),
                                         QStringLiteral("updateAppsNotNotify")),
                 QVariant(true));
    }

    void reportsAnotherProcessesChangeOnce()
    {
        QSignalSpy spy(m_watcher, &VConfigWatcher::sigValueChanged);
        dconfWrite(kDir + QStringLiteral("appsIgnoreUpdates"), QStringLiteral("['org.c']"));
        settle(spy, 1);
        const QList<QVariant> args = spy.at(0);
        QCOMPARE(args.at(0).toString(), kAppId);
        QCOMPARE(args.at(1).toString(), kName);
        QVERIFY(args.at(2).toString().isEmpty());
        QCOMPARE(args.at(3).toString(), QStringLiteral("appsIgnoreUpdates"));
        QCOMPARE(args.at(4), QVariant(QStringList({QStringLiteral("org.c")})));

        // Keys elsewhere, even below the same application id, are not ours.
        dconfWrite(QStringLiteral("/ostrel-app-store/other/key"), QStringLiteral("1"));
        dconfWrite(kDir + QStringLiteral("sub/key"), QStringLiteral("1"));
        dconfWrite(kDir + QStringLiteral("log_rules"), QStringLiteral("'x'"));
        settle(spy, 2);
        QCOMPARE(spy.at(1).at(3).toString(), QStringLiteral("log_rules"));
    }

    // A reset or a load of the whole directory, or of one above it: one
    // signal for each key given out whose value it changed.
    void reportsWholeDirectoryChanges_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QVariantMap>("changes");
        // Every key given out: those read, and those whose change it passed on.
        const QVariantMap cleared{{QStringLiteral("appsIgnoreUpdates"), QVariant()},
                                  {QStringLiteral("log_rules"), QVariant()},
                                  {QStringLiteral("changedOnly"), QVariant()}};
        QTest::newRow("reset of the directory")
            << QStringList{"reset", "-f", kDir} << QByteArray() << cleared;
        QTest::newRow("reset of a parent")
            << QStringList{"reset", "-f", "/ostrel-app-store/"} << QByteArray() << cleared;
        QTest::newRow("reset of everything")
            << QStringList{"reset", "-f", "/"} << QByteArray() << cleared;
        QTest::newRow("reset of another directory")
            << QStringList{"reset", "-f", "/ostrel-app-store/other/"} << QByteArray()
            << QVariantMap();
        QTest::newRow("load") << QStringList{"load", kDir}
                              << QByteArray("[/]\nlog_rules='new'\nappsIgnoreUpdates=['org.a']\n")
                              << QVariantMap{{QStringLiteral("log_rules"), QStringLiteral("new")}};
    }

    void reportsWholeDirectoryChanges()
    {
        QFETCH(QStringList, command);
        QFETCH(QByteArray, input);
        QFETCH(QVariantMap, changes);
        QSignalSpy spy(m_watcher, &VConfigWatcher::sigValueChanged);
        dconfWrite(kDir + QStringLiteral("appsIgnoreUpdates"), QStringLiteral("['org.a']"));
        dconfWrite(kDir + QStringLiteral("log_rules"), QStringLiteral("'old'"));
        dconfWrite(kDir + QStringLiteral("changedOnly"), QStringLiteral("1"));
        dconfWrite(QStringLiteral("/ostrel-app-store/other/key"), QStringLiteral("1"));
        settle(spy, 3);
        spy.clear();
        // Read: two keys that are set, one that is not.
        for (const char *key : {"appsIgnoreUpdates", "log_rules", "updateAppsNotNotify"})
            m_watcher->getValueSync(kAppId, kName, QString(), QString::fromLatin1(key));

        QProcess dconf;
        dconf.start(QStringLiteral("dconf"), command);
        dconf.write(input);
        dconf.closeWriteChannel();
        QVERIFY(dconf.waitForFinished());
        QCOMPARE(dconf.exitCode(), 0);
        settle(spy, changes.size());
        QVariantMap reported;
        for (const QList<QVariant> &signal : qAsConst(spy))
            reported.insert(signal.at(3).toString(), signal.at(4));
        QCOMPARE(reported, changes);
    }

    void addingTheSameTripleAgainChangesNothing()
    {
        QVERIFY(m_watcher->addVConfig(kAppId, kName, QString()));
        QVERIFY(m_watcher->addVConfig(kAppId, kName, QStringLiteral("")));
        QSignalSpy spy(m_watcher, &VConfigWatcher::sigValueChanged);
        dconfWrite(kDir + QStringLiteral("log_rules"), QStringLiteral("'a'"));
        settle(spy, 1);
    }

    void keepsTriplesApartByCaseAndSubpath()
    {
        const QString upper = QStringLiteral("Ostrel-App-Store");
        QVERIFY(m_watcher->addVConfig(upper, kName, QString()));
        QVERIFY(m_watcher->addVConfig(kAppId, kName, QStringLiteral("sub/dir")));
        QSignalSpy spy(m_watcher, &VConfigWatcher::sigValueChanged);
        dconfWrite(QStringLiteral("/Ostrel-App-Store/org.ostrel.app-store/k"), QStringLiteral("1"));
        dconfWrite(kDir + QStringLiteral("sub/dir/k"), QStringLiteral("2"));
        settle(spy, 2);
        QCOMPARE(spy.at(0).at(0).toString(), upper);
        QCOMPARE(spy.at(1).at(2).toString(), QStringLiteral("sub/dir"));
        QCOMPARE(spy.at(1).at(4), QVariant(2));
        QVERIFY(!m_watcher->getValueSync(kAppId, kName, QString(), QStringLiteral("k")).isValid());
        QCOMPARE(m_watcher->getValueSync(upper, kName, QString(), QStringLiteral("k")),
                 QVariant(1));
    }

    void warnsAboutUnknownAndInvalidTriples()
    {
        LogCapture log;
        QVERIFY(!m_watcher->addVConfig(QString(), QStringLiteral("x"), QString()));
        QVERIFY(!m_watcher->addVConfig(QStringLiteral("a/b"), QStringLiteral("x"),
                                       QStringLiteral("s")));
        QVERIFY(
            !m_watcher->getValueSync(QStringLiteral("nope"), kName, QString(), QStringLiteral("k"))
                 .isValid());
        m_watcher->setValue(QStringLiteral("nope"), kName, QStringLiteral("sub"),
                            QStringLiteral("k"), 1);
        QCOMPARE(
            log.linesOf(kCategory),
            QStringList({
                QStringLiteral("warning|bool VConfigWatcher::addVConfig(QString, const QString&, "
                               "const QString&) \"VConfig is invalid: appId = , name = x, "
                               "subpath = \""),
                QStringLiteral("warning|bool VConfigWatcher::addVConfig(QString, const QString&, "
                               "const QString&) \"VConfig is invalid: appId = a/b, name = x, "
                               "subpath = s\""),
                QStringLiteral("warning|QVariant VConfigWatcher::getValueSync(QString, const "
                               "QString&, const QString&, const QString&) \"find VConfig "
                               "failed: appId = nope, name = org.ostrel.app-store, subpath = \""),
                QStringLiteral("warning|void VConfigWatcher::setValue(QString, const QString&, "
                               "const QString&, const QString&, const QVariant&) \"find "
                               "VConfig failed: appId = nope, name = org.ostrel.app-store, "
                               "subpath = sub\""),
            }));
        QCOMPARE(dconfRead(QStringLiteral("/nope/org.ostrel.app-store/sub/k")), QString());
    }

    void removesConfigurations()
    {
        LogCapture log;
        m_watcher->removeVConfig(QStringLiteral("nope"), kName, QString());
        QVERIFY(log.lines().isEmpty());
        m_watcher->removeVConfig(kAppId, kName, QString());
        QSignalSpy spy(m_watcher, &VConfigWatcher::sigValueChanged);
        dconfWrite(kDir + QStringLiteral("log_rules"), QStringLiteral("'gone'"));
        QTest::qWait(300);
        QCOMPARE(spy.count(), 0);
        QVERIFY(!m_watcher->getValueSync(kAppId, kName, QString(), QStringLiteral("log_rules"))
                     .isValid());
        QCOMPARE(log.lines().size(), 1);
        QVERIFY(log.lines().at(0).contains(
            QLatin1String("find VConfig failed: appId = ostrel-app-store")));
        // Added again, it works as before.
        QVERIFY(m_watcher->addVConfig(kAppId, kName, QString()));
        QCOMPARE(m_watcher->getValueSync(kAppId, kName, QString(), QStringLiteral("log_rules")),
                 QVariant(QStringLiteral("gone")));
    }

    void deliversAsyncReadsBeforeReturning()
    {
        dconfWrite(kDir + QStringLiteral("appsIgnoreUpdates"), QStringLiteral("['org.x']"));
        QList<QVariant> received;
        connect(m_watcher, &VConfigWatcher::sigValueChanged, this,
                [&](const QString &, const QString &, const QString &, const QString &key,
                    const QVariant &value) { received << key << value; });
        m_watcher->getValueAsync(kAppId, kName, QString(), QStringLiteral("appsIgnoreUpdates"));
        QCOMPARE(received, QList<QVariant>({QStringLiteral("appsIgnoreUpdates"),
                                            QStringList({QStringLiteral("org.x")})}));
        m_watcher->getValueAsync(kAppId, kName, QString(), QStringLiteral("unset"));
        QCOMPARE(received.size(), 2);
    }

    void ignoresSignalsNotFromAConfiguration()
    {
        LogCapture log;
        QMetaObject::invokeMethod(m_watcher, "slotValueChanged",
                                  Q_ARG(QString, QStringLiteral("k")));
        QCOMPARE(log.linesOf(kCategory),
                 QStringList({QStringLiteral("warning|void VConfigWatcher::slotValueChanged(const "
                                             "QString&) cast to VConfig failed")}));
    }
};

PRIVATE_DESKTOP_TEST_MAIN(TestVConfigWatcher)
#include "tst_vconfig_watcher.moc"

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The bridge in this process, its slots invoked by name through its
// meta-object: the install-finished step, which nothing outside can reach,
// and where the slots hand freed memory back. /opt is a private overlay.

#include "appstore_daemon_interface.h"
#include "log_capture.h"
#include "own_user.h"
#include "system_files.h"
#include "test_main.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <dlfcn.h>

namespace {

const char kCategory[] = "com.ostrel.app-store.session-daemon";
int g_trims = 0;

// A brief information that asks for the set-up script.
QString bottleBrief(const QString &package)
{
    return QStringLiteral("{\"appBriefInfo\": {\"package_name\": \"%1\", \"package_mode\": 1, "
                          "\"pkgInstallMode\": 1}}")
        .arg(package);
}

} // namespace

// Counts the plug-in's calls: the executable's definition comes first in the
// lookup of every library loaded into it.
extern "C" int malloc_trim(size_t pad)
{
    ++g_trims;
    static const auto real = reinterpret_cast<int (*)(size_t)>(dlsym(RTLD_NEXT, "malloc_trim"));
    return real ? real(pad) : 0;
}

class TestBridgeSlots : public QObject
{
    Q_OBJECT

private:
    AppstoreDaemonInterface *m_bridge = nullptr;
    QTemporaryDir m_work;

    QString recordPath() const { return m_work.filePath(QStringLiteral("record")); }

    // What the script recorded: the path it runs as, then its arguments.
    QString recorded() const
    {
        QFile record(recordPath());
        return record.open(QIODevice::ReadOnly) ? QString::fromUtf8(record.readAll()) : QString();
    }

    // A run.sh for the package that records how it was started.
    bool installScript(const QString &package)
    {
        const QString script = QStringLiteral("/opt/apps/%1/files/run.sh").arg(package);
        const QByteArray body =
            "#!/bin/sh\nprintf '%s\\n' \"$0\" \"$@\" > '" + QFile::encodeName(recordPath()) + "'\n";
        return writeFile(script, body) &&
               QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner |
                                                 QFile::ExeOwner | QFile::ReadOther |
                                                 QFile::ExeOther);
    }

    void installProgress(const QString &id, const QString &package, int state, int total,
                         int progress, const QString &brief)
    {
        QVERIFY(QMetaObject::invokeMethod(m_bridge, "slotInstallProgress", Qt::DirectConnection,
                                          Q_ARG(QString, id), Q_ARG(QString, package),
                                          Q_ARG(int, state), Q_ARG(int, total),
                                          Q_ARG(int, progress), Q_ARG(QString, brief)));
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!PrivateSystem::isActive())
            QSKIP("no private mount namespace with an overlay over /opt");
        QVERIFY(m_work.isValid());
        QVERIFY(QDir::setCurrent(m_work.path()));
        m_bridge = AppstoreDaemonInterface::instance();
    }

    void cleanupTestCase() { delete m_bridge; }

    void runsTheSetUpScript_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("package");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("progress");
        QTest::addColumn<QString>("brief");
        QTest::addColumn<bool>("script");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<bool>("runs");

        const QString id = QStringLiteral("ostrel-app-store");
        const QString done = QStringLiteral("debug|Package %1 install succeeded, package_mode: %2");
        const QString pkg = QStringLiteral("org.example.app");
        QTest::newRow("runs") << id << pkg << 1 << 10 << bottleBrief(pkg) << true
                              << QStringList{done.arg(pkg).arg(1)} << true;
        QTest::newRow("shell words in the name")
            << id << "a; touch pwned" << 1 << 10 << bottleBrief(pkg) << true
            << QStringList{done.arg("a; touch pwned").arg(1)} << true;
        QTest::newRow("substitution in the name")
            << id << "$(touch pwned)" << 1 << 10 << bottleBrief(pkg) << true
            << QStringList{done.arg("$(touch pwned)").arg(1)} << true;
        QTest::newRow("id in another case") << "Ostrel-App-Store" << pkg << 1 << 10
                                            << bottleBrief(pkg) << true << QStringList() << false;
        QTest::newRow("state 2") << id << pkg << 2 << 10 << bottleBrief(pkg) << true
                                 << QStringList() << false;
        QTest::newRow("not finished")
            << id << pkg << 1 << 9 << bottleBrief(pkg) << true << QStringList() << false;
        QTest::newRow("no install mode")
            << id << pkg << 1 << 10
            << "{\"appBriefInfo\": {\"package_name\": \"x\", \"package_mode\": 1}}" << true
            << QStringList{done.arg(pkg).arg(-1)} << false;
        QTest::newRow("mode as text")
            << id << pkg << 1 << 10
            << "{\"appBriefInfo\": {\"package_name\": \"x\", \"package_mode\": \"1\", "
               "\"pkgInstallMode\": 1}}"
            << true << QStringList{done.arg(pkg).arg(-1)} << false;
        QTest::newRow("blank brief") << id << pkg << 1 << 10 << " \n"
                                     << true << QStringList{done.arg(pkg).arg(-1)} << false;
        QTest::newRow("brief not json")
            << id << pkg << 1 << 10 << "{\"appBriefInfo\"" << true
            << QStringList{"warning|parse AppBriefInfo failed: \"unterminated string\" "
                           "\"{\\\"appBriefInfo\\\"\"",
                           done.arg(pkg).arg(-1)}
            << false;
        QTest::newRow("script missing")
            << id << pkg << 1 << 10 << bottleBrief(pkg) << false
            << QStringList{done.arg(pkg).arg(1),
                           "warning|Package " + pkg + " run.sh not found, skip creating bottle"}
            << false;
        // Each with a script at the path the name leads to, which must not run.
        for (const char *name : {"..", ".", "sub/dir", "a\nb"}) {
            const QString package = QString::fromLatin1(name);
            QTest::newRow(qPrintable("unsafe name " + package))
                << id << package << 1 << 10 << bottleBrief(pkg) << true
                << QStringList{done.arg(package).arg(1),
                               "warning|Invalid package name, skip creating bottle: \"" +
                                   QString(package).replace(QLatin1Char('\n'), "\\n") + "\""}
                << false;
        }
    }

    void runsTheSetUpScript()
    {
        QFETCH(QString, id);
        QFETCH(QString, package);
        QFETCH(int, state);
        QFETCH(int, progress);
        QFETCH(QString, brief);
        QFETCH(bool, script);
        QFETCH(QStringList, log);
        QFETCH(bool, runs);
        QFile::remove(recordPath());
        QDir(QStringLiteral("/opt/apps")).removeRecursively();
        if (script)
            QVERIFY(installScript(package));

        LogCapture capture;
        installProgress(id, package, state, 10, progress, brief);
        QCOMPARE(capture.linesOf(kCategory), log);
        if (runs) {
            const QString expected = QStringLiteral("/opt/apps/%1/files/run.sh\n-c\n").arg(package);
            QTRY_COMPARE(recorded(), expected);
        } else {
            QTest::qWait(200);
            QVERIFY(!QFile::exists(recordPath()));
        }
        QVERIFY(!QFile::exists(QStringLiteral("pwned")));
    }

    void trimsOncePastTheEarlyReturns_data()
    {
        QTest::addColumn<QByteArray>("slot");
        QTest::addColumn<QVariantList>("arguments");
        QTest::addColumn<int>("trims");
        const QString app = QStringLiteral("ostrel-app-store");
        const QString config = QStringLiteral("org.ostrel.app-store");
        QTest::newRow("install finished") << QByteArray("slotInstallProgress")
                                          << QVariantList{app, "pkg", 1, 10, 10, QString()} << 1;
        QTest::newRow("install not finished") << QByteArray("slotInstallProgress")
                                              << QVariantList{app, "pkg", 1, 10, 9, QString()} << 0;
        QTest::newRow("relay off")
            << QByteArray("slotSystemNotificationSent") << QVariantList{"{\"opt\": 1}"} << 0;
        QTest::newRow("no announcement")
            << QByteArray("slotLocalAppsUpgradeNotify") << QVariantList{QStringList()} << 0;
        QTest::newRow("announcement")
            << QByteArray("slotLocalAppsUpgradeNotify") << QVariantList{QStringList{"{}"}} << 1;
        QTest::newRow("another user")
            << QByteArray("slotUserChanged") << QVariantList{"someone-else"} << 0;
        QTest::newRow("this user")
            << QByteArray("slotUserChanged") << QVariantList{ownSessionUserName()} << 1;
        QTest::newRow("own configuration")
            << QByteArray("slotVConfigValueChanged")
            << QVariantList{app, config, QString(), "appsIgnoreUpdates", QVariant()} << 1;
        QTest::newRow("other configuration")
            << QByteArray("slotVConfigValueChanged")
            << QVariantList{app, "org.other", QString(), "appsIgnoreUpdates", QVariant()} << 0;
    }

    void trimsOncePastTheEarlyReturns()
    {
        QFETCH(QByteArray, slot);
        QFETCH(QVariantList, arguments);
        QFETCH(int, trims);
        // Find the slot by name and hand it the arguments in its own types.
        const QMetaObject *meta = m_bridge->metaObject();
        QMetaMethod method;
        for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
            if (meta->method(i).name() == slot)
                method = meta->method(i);
        }
        QVERIFY(method.isValid());
        QCOMPARE(method.parameterCount(), arguments.size());
        const QList<QByteArray> types = method.parameterTypes();
        QList<QGenericArgument> generic;
        for (int i = 0; i < arguments.size(); ++i) {
            if (method.parameterType(i) != QMetaType::QVariant)
                QVERIFY(arguments[i].convert(method.parameterType(i)));
            generic << QGenericArgument(types.at(i).constData(),
                                        method.parameterType(i) == QMetaType::QVariant
                                            ? static_cast<const void *>(&arguments[i])
                                            : arguments[i].constData());
        }
        while (generic.size() < 10)
            generic << QGenericArgument();
        g_trims = 0;
        QVERIFY(method.invoke(m_bridge, Qt::DirectConnection, generic[0], generic[1], generic[2],
                              generic[3], generic[4], generic[5], generic[6], generic[7],
                              generic[8], generic[9]));
        QCOMPARE(g_trims, trims);
    }
};

PRIVATE_SYSTEM_TEST_MAIN(TestBridgeSlots)

#include "tst_bridge_slots.moc"

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// The Debian packages that scripts/build-packages.sh builds, installed with
// dpkg in a private mount namespace whose /usr, /etc, /var, /opt and /run are
// copy-on-write overlays: the files land where Debian puts them, the system's
// trigger compiles the schemas, the file trigger on /opt/apps runs the linker
// once after a package operation there, and the host loads the installed
// plug-in. The machine's own files and package database never change.

#include "session_processes.h"
#include "system_files.h"
#include "test_main.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kAppId = QStringLiteral("org.example.triggered");
const QString kAppPackage = QStringLiteral("org-example-triggered");
const QString kDesktopLink = QStringLiteral("/usr/share/applications/%1.desktop").arg(kAppId);

struct Result
{
    int code = -1;
    QString output;
};

Result run(const QString &program, const QStringList &arguments,
           const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Result result;
    if (process.waitForFinished(300000) && process.exitStatus() == QProcess::NormalExit)
        result.code = process.exitCode();
    result.output = QString::fromLocal8Bit(process.readAll());
    return result;
}

QString packageFile(const QString &package)
{
    const QStringList found =
        QDir(QStringLiteral(PACKAGES_DIR)).entryList({package + QStringLiteral("_*.deb")});
    return found.size() == 1 ? QStringLiteral(PACKAGES_DIR "/") + found.first() : QString();
}

QString multiarch()
{
    return run(QStringLiteral("dpkg-architecture"), {QStringLiteral("-qDEB_HOST_MULTIARCH")})
        .output.trimmed();
}

QString pluginPath()
{
    return QStringLiteral("/usr/lib/%1/session-plugins/libostrel-appstore-session-daemon.so")
        .arg(multiarch());
}

// A package that ships one application under /opt/apps, as the store's
// packages do.
QString buildAppPackage(const QString &dir)
{
    const QString root = dir + QStringLiteral("/root");
    const QString app = root + QStringLiteral("/opt/apps/") + kAppId;
    const bool written =
        writeFile(root + QStringLiteral("/DEBIAN/control"),
                  "Package: " + kAppPackage.toUtf8() +
                      "\nVersion: 1.0\nArchitecture: all\nMaintainer: Tests <tests@example.org>\n"
                      "Description: an application under /opt/apps\n") &&
        writeFile(app + QStringLiteral("/info"), "{\"appid\": \"" + kAppId.toUtf8() + "\"}\n") &&
        writeFile(app + QStringLiteral("/entries/applications/%1.desktop").arg(kAppId),
                  "[Desktop Entry]\nType=Application\nName=Triggered\nExec=true\n");
    const QString deb = dir + QStringLiteral("/app.deb");
    if (!written || run(QStringLiteral("dpkg-deb"), {QStringLiteral("--root-owner-group"),
                                                     QStringLiteral("--build"), root, deb})
                            .code != 0)
        return QString();
    return deb;
}

} // namespace

class TestInstalledPackages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (!PrivateSystem::isActive())
            QSKIP("no private mount namespace with overlays (needs root)");
        const QStringList debs = {packageFile(QStringLiteral("app-entries-linker")),
                                  packageFile(QStringLiteral("ostrel-appstore-session-daemon"))};
        QVERIFY2(!debs.contains(QString()), "build the packages with scripts/build-packages.sh");
        const Result install =
            run(QStringLiteral("dpkg"), QStringList{QStringLiteral("-i")} + debs);
        QVERIFY2(install.code == 0, qPrintable(install.output));
    }

    void installsTheFiles_data()
    {
        QTest::addColumn<QString>("package");
        QTest::addColumn<QString>("path");
        const QString linker = QStringLiteral("app-entries-linker");
        const QString daemon = QStringLiteral("ostrel-appstore-session-daemon");
        QTest::newRow("linker") << linker << QStringLiteral("/usr/sbin/app-entries-linker");
        QTest::newRow("linker manual")
            << linker << QStringLiteral("/usr/share/man/man8/app-entries-linker.8.gz");
        QTest::newRow("linker docs")
            << linker << QStringLiteral("/usr/share/doc/app-entries-linker/README.md.gz");
        QTest::newRow("plug-in") << daemon << pluginPath();
        QTest::newRow("program") << daemon << QStringLiteral("/usr/bin/") + daemon;
        QTest::newRow("schemas") << daemon
                                 << QStringLiteral(
                                        "/usr/share/glib-2.0/schemas/"
                                        "com.ostrel.wrap.gnome.system.proxy.gschema.xml");
        QTest::newRow("user unit")
            << daemon << QStringLiteral("/usr/lib/systemd/user/%1.service").arg(daemon);
        QTest::newRow("program manual")
            << daemon << QStringLiteral("/usr/share/man/man1/%1.1.gz").arg(daemon);
        QTest::newRow("daemon docs")
            << daemon << QStringLiteral("/usr/share/doc/%1/README.md.gz").arg(daemon);
    }

    void installsTheFiles()
    {
        QFETCH(QString, package);
        QFETCH(QString, path);
        QVERIFY(QFileInfo::exists(path));
        const Result owner = run(QStringLiteral("dpkg-query"), {QStringLiteral("-S"), path});
        QCOMPARE(owner.output.trimmed(), package + QStringLiteral(": ") + path);
    }

    void systemTriggerCompiledTheSchemas()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("GSETTINGS_SCHEMA_DIR"));
        const Result keys = run(QStringLiteral("gsettings"),
                                {QStringLiteral("list-keys"),
                                 QStringLiteral("com.ostrel.wrap.gnome.system.proxy.http")},
                                environment);
        QCOMPARE(keys.code, 0);
        QVERIFY2(keys.output.split(QLatin1Char('\n')).contains(QStringLiteral("host")),
                 qPrintable(keys.output));
    }

    void programFindsItsLibrary()
    {
        const Result help = run(QStringLiteral("/usr/bin/ostrel-appstore-session-daemon"),
                                {QStringLiteral("--help")});
        QVERIFY2(help.code == 0, qPrintable(help.output));
    }

    void triggerLinksAndUnlinksAnApplication()
    {
        QTemporaryDir dir;
        const QString deb = buildAppPackage(dir.path());
        QVERIFY(!deb.isEmpty());
        const QString processing = QStringLiteral("Processing triggers for app-entries-linker");

        const Result install = run(QStringLiteral("dpkg"), {QStringLiteral("-i"), deb});
        QVERIFY2(install.code == 0, qPrintable(install.output));
        QCOMPARE(install.output.count(processing), 1);
        QCOMPARE(QFileInfo(kDesktopLink).symLinkTarget(),
                 QStringLiteral("/opt/apps/%1/entries/applications/%1.desktop").arg(kAppId));

        const Result remove = run(QStringLiteral("dpkg"), {QStringLiteral("-r"), kAppPackage});
        QVERIFY2(remove.code == 0, qPrintable(remove.output));
        QCOMPARE(remove.output.count(processing), 1);
        QVERIFY(!QFileInfo(kDesktopLink).isSymLink());
        QCOMPARE(
            run(QStringLiteral("dpkg-query"), {QStringLiteral("-W"), QStringLiteral("-f=${Status}"),
                                               QStringLiteral("app-entries-linker")})
                .output,
            QStringLiteral("install ok installed"));
    }

    void installedLinkerRemovesADeadLink()
    {
        const QString dead = QStringLiteral("/usr/share/applications/org.example.gone.desktop");
        QVERIFY(QFile::link(QStringLiteral("/opt/apps/org.example.gone/entries/applications/"
                                           "org.example.gone.desktop"),
                            dead));
        QCOMPARE(run(QStringLiteral("/usr/sbin/app-entries-linker"), {}).code, 0);
        QVERIFY(!QFileInfo(dead).isSymLink());
    }

    void hostLoadsTheInstalledPlugin()
    {
        Peer daemon;
        Peer lock;
        QVERIFY(daemon.start(QStringLiteral(DAEMON_PEER_PATH)));
        QVERIFY(lock.start(QStringLiteral(LOCK_PEER_PATH)));
        for (const QStringList &setting :
             {QStringList{QStringLiteral("org.gnome.system.proxy.http"), QStringLiteral("host"),
                          QStringLiteral("proxy.example")},
              QStringList{QStringLiteral("org.gnome.system.proxy.http"), QStringLiteral("port"),
                          QStringLiteral("3128")},
              QStringList{QStringLiteral("org.gnome.system.proxy"), QStringLiteral("mode"),
                          QStringLiteral("manual")}})
            QCOMPARE(
                runTool(QStringLiteral("gsettings"), QStringList{QStringLiteral("set")} + setting),
                0);

        // The installed library, also for the host's own link to it; the
        // schemas the system compiled.
        Host host(pluginPath());
        QVERIFY(
            host.start({}, {QStringLiteral("env"), QStringLiteral("-u"),
                            QStringLiteral("GSETTINGS_SCHEMA_DIR"),
                            QStringLiteral("LD_LIBRARY_PATH=") + QFileInfo(pluginPath()).path()}));
        QTRY_VERIFY_WITH_TIMEOUT(!daemon.calls(QStringLiteral("SetSystemProxy")).isEmpty(), 10000);
        const QJsonArray args = daemon.calls(QStringLiteral("SetSystemProxy"))
                                    .first()
                                    .value(QLatin1String("args"))
                                    .toArray();
        QVERIFY2(args.at(1).toString().contains(
                     QLatin1String("\"http_proxy\":\"http://proxy.example:3128\"")),
                 qPrintable(args.at(1).toString()));

        QFile maps(QStringLiteral("/proc/%1/maps").arg(host.pid()));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        const QByteArray mapped = maps.readAll();
        QVERIFY(mapped.contains(QFile::encodeName(pluginPath())));
        QVERIFY(!mapped.contains(PLUGIN_PATH));
        QCOMPARE(host.stop(), 0);
    }
};

PRIVATE_SYSTEM_TEST_MAIN(TestInstalledPackages, {"/usr", "/etc", "/var", "/opt", "/run"})

#include "tst_installed_packages.moc"

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "linker_fixture.h"

#include "tree_util.h"

#include <QFile>
#include <QProcess>
#include <QTest>

using namespace TreeUtil;

QString g_sandboxUnavailable;

QByteArray entries(const QByteArray &appId)
{
    return "/opt/apps/" + appId + "/entries";
}

void writeInfo(const QByteArray &dir, const QByteArray &json)
{
    writeFile("/opt/apps/" + dir + "/info", json);
}

void installApp(const QByteArray &appId, bool autostart)
{
    writeInfo(appId, "{\"appid\": \"" + appId + "\", \"permissions\": {\"autostart\": " +
                         (autostart ? "true" : "false") + "}}");
}

void installSharingApps(const QList<QByteArray> &apps)
{
    for (const QByteArray &app : apps) {
        installApp(app);
        const QByteArray e = entries(app);
        for (const QByteArray &file :
             {"/help/C/" + app + "/figures/" + app + ".png",
              "/locale/mjw/LC_MESSAGES/" + app + ".mo",
              QByteArray("/locale/mjw/LC_MESSAGES/shared.mo"),
              QByteArray("/applications/shared.desktop"), "/plugins/browser/" + app + ".so"})
            writeFile(e + file, app);
    }
}

QByteArray contentOf(const QByteArray &path)
{
    QFile file(QFile::decodeName(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

QProcessEnvironment withRenameFaults(const QByteArray &killAt, bool refuseExchange)
{
    QProcessEnvironment env = linkerEnvironment();
    env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(RENAME_FAULTS_PATH));
    if (!killAt.isEmpty())
        env.insert(QStringLiteral("LINKER_KILL_AT"), QFile::decodeName(killAt));
    if (refuseExchange)
        env.insert(QStringLiteral("LINKER_REFUSE_EXCHANGE"), QStringLiteral("1"));
    // Under AddressSanitizer the preloaded shim comes before its runtime.
    env.insert(QStringLiteral("ASAN_OPTIONS"), env.value(QStringLiteral("ASAN_OPTIONS")) +
                                                   QStringLiteral(":verify_asan_link_order=0"));
    return env;
}

QStringList sortedLines(const QByteArray &output)
{
    QStringList result = QString::fromUtf8(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    result.sort();
    return result;
}

LinkerOutput runLinkerWith(const QStringList &arguments, const QProcessEnvironment &env)
{
    QProcess process;
    process.setProcessEnvironment(env.isEmpty() ? linkerEnvironment() : env);
    process.start(QStringLiteral(LINKER_PATH), arguments);
    LinkerOutput output;
    if (process.waitForFinished(300000) && process.exitStatus() == QProcess::NormalExit)
        output.exitCode = process.exitCode();
    output.standardOutput = process.readAllStandardOutput();
    output.standardError = process.readAllStandardError();
    return output;
}

void LinkerTest::setUpTestCase()
{
    if (!g_sandboxUnavailable.isEmpty())
        QSKIP(qPrintable(QStringLiteral("skipped: %1").arg(g_sandboxUnavailable)));
    QProcess gcc;
    gcc.start(QStringLiteral("gcc"), {QStringLiteral("-dumpmachine")});
    gcc.waitForFinished();
    m_triplet = gcc.readAllStandardOutput().trimmed();
    QVERIFY(!m_triplet.isEmpty());
}

void LinkerTest::prepareSystem()
{
    QVERIFY2(m_sandbox.setUp(), "cannot mount the overlays of the sandbox");
    for (const QByteArray &dir :
         {QByteArray("/usr/share/GConf"), QByteArray("/usr/share/doc"),
          QByteArray("/usr/share/fcitx"), QByteArray("/usr/share/fonts"),
          QByteArray("/usr/share/help"), QByteArray("/usr/share/locale"),
          QByteArray("/usr/share/polkit-1"), QByteArray("/usr/share/dbus-1/services"),
          QByteArray("/usr/share/glib-2.0/schemas"),
          QByteArray("/usr/share/icons/hicolor/scalable/apps"), QByteArray("/etc/fonts/conf.d"),
          QByteArray("/etc/xdg/autostart"), QByteArray("/usr/lib/mozilla/plugins"),
          "/usr/lib/" + m_triplet + "/fcitx"})
        makeDir(dir);
}

void LinkerTest::freshSystem()
{
    m_sandbox.tearDown();
    prepareSystem();
}

QMap<QByteArray, QByteArray> LinkerTest::linkState() const
{
    QMap<QByteArray, QByteArray> state;
    for (const QByteArray point : {"/usr/share", "/etc", "/usr/lib"}) {
        // Only the links: caches are rewritten by every run.
        const auto tree = snapshot(m_sandbox.upperDir(point));
        for (auto it = tree.begin(); it != tree.end(); ++it) {
            if (it.value().startsWith("->"))
                state.insert(point + "/" + it.key(), it.value());
        }
    }
    return state;
}

void LinkerTest::runAndExpectExitZero(const QProcessEnvironment &env)
{
    const LinkerRun run = runLinker(env);
    QVERIFY(!run.crashed);
    QCOMPARE(run.exitCode, 0);
}

QMap<QByteArray, QByteArray> LinkerTest::stateOfOneRun(const QList<QByteArray> &apps)
{
    installSharingApps(apps);
    runAndExpectExitZero();
    const auto state = linkState();
    freshSystem();
    return state;
}

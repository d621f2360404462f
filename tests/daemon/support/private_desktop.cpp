// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "private_desktop.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

const QString kDconfService = QStringLiteral("ca.desrt.dconf.service");

// Where the private session bus finds the services it may start: dconf's
// only, so that nothing of the machine's (a notification server, say) is
// started on it behind a test's back.
QString serviceDir(const QString &base)
{
    return base + QStringLiteral("/data/dbus-1/services");
}

// A bus that lets every local user connect, own any name and talk to anyone:
// tests run peers and hosts under other user ids too.
QByteArray busConfig(const QByteArray &type, const QString &base)
{
    const QString socketDir = base + QStringLiteral("/sockets");
    QByteArray config = "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-BUS Bus Configuration "
                        "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/"
                        "busconfig.dtd\">\n<busconfig>\n  <type>" +
                        type + "</type>\n  <listen>unix:dir=" + QFile::encodeName(socketDir) +
                        "</listen>\n  <auth>EXTERNAL</auth>\n";
    if (type == "session") {
        // The real session bus's limits, far above dbus-daemon's defaults
        // (128 calls awaiting replies per connection, for instance).
        config += "  <servicedir>" + QFile::encodeName(serviceDir(base)) +
                  "</servicedir>\n"
                  "  <limit name=\"max_incoming_bytes\">1000000000</limit>\n"
                  "  <limit name=\"max_outgoing_bytes\">1000000000</limit>\n"
                  "  <limit name=\"max_message_size\">1000000000</limit>\n"
                  "  <limit name=\"max_names_per_connection\">50000</limit>\n"
                  "  <limit name=\"max_match_rules_per_connection\">50000</limit>\n"
                  "  <limit name=\"max_replies_per_connection\">50000</limit>\n";
    }
    config += "  <policy context=\"default\">\n"
              "    <allow user=\"*\"/>\n"
              "    <allow own=\"*\"/>\n"
              "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
              "    <allow receive_sender=\"*\"/>\n"
              "    <allow eavesdrop=\"true\"/>\n"
              "  </policy>\n</busconfig>\n";
    return config;
}

QString dconfPidFile(const QString &base)
{
    return base + QStringLiteral("/dconf.pid");
}

// The machine's service file of dconf, its program started through a shell
// that notes the service's process id, so that it can be stopped at the end.
bool writeDconfService(const QString &base)
{
    QFile system(QStringLiteral("/usr/share/dbus-1/services/") + kDconfService);
    QFile own(serviceDir(base) + QLatin1Char('/') + kDconfService);
    if (!system.open(QIODevice::ReadOnly) || !own.open(QIODevice::WriteOnly))
        return false;
    QByteArray content = system.readAll();
    const QByteArray exec = "\nExec=";
    const int at = content.indexOf(exec);
    if (at < 0)
        return false;
    content.insert(at + exec.size(), "/bin/sh -c 'echo $$ >" +
                                         QFile::encodeName(dconfPidFile(base)) + "; exec \"$0\"' ");
    return own.write(content) == content.size();
}

// dconf's service writes its database a while after a change, creating the
// directories it needs: it must be gone before the directory is removed, or
// it leaves the database behind.
void stopDconf(const QString &base)
{
    QFile file(dconfPidFile(base));
    if (!file.open(QIODevice::ReadOnly))
        return;
    const pid_t pid = file.readAll().trimmed().toInt();
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (pid <= 0 || !comm.open(QIODevice::ReadOnly) || comm.readAll().trimmed() != "dconf-service")
        return;
    comm.close();
    kill(pid, SIGTERM);
    for (int i = 0; i < 100 && comm.exists(); ++i)
        usleep(50000);
}

} // namespace

PrivateDesktop::PrivateDesktop()
{
    if (!m_dir.isValid())
        return;
    const QString base = m_dir.path();
    QFile::setPermissions(base, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                    QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                    QFileDevice::ExeOther);
    for (const char *dir : {"config", "cache", "data", "runtime", "home", "sockets"})
        QDir(base).mkpath(QString::fromLatin1(dir));
    QFile::setPermissions(base + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile::setPermissions(base + QStringLiteral("/sockets"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                              QFileDevice::ReadOther | QFileDevice::WriteOther |
                              QFileDevice::ExeOther);

    QDir().mkpath(serviceDir(base));
    if (!writeDconfService(base))
        return;

    qputenv("XDG_CONFIG_HOME", QFile::encodeName(base + QStringLiteral("/config")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(base + QStringLiteral("/cache")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(base + QStringLiteral("/data")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(base + QStringLiteral("/runtime")));
    qputenv("GSETTINGS_SCHEMA_DIR", SCHEMA_DIR);
    qputenv("GSETTINGS_BACKEND", "dconf");
    for (const char *name : {"DBUS_STARTER_ADDRESS", "DBUS_STARTER_BUS_TYPE", "QT_LOGGING_RULES",
                             "QT_MESSAGE_PATTERN", "http_proxy", "https_proxy", "ftp_proxy",
                             "all_proxy", "no_proxy", "SOCKS_SERVER", "auto_proxy"})
        qunsetenv(name);

    QByteArray address;
    if (!startBus("system", &address))
        return;
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", address);
    if (!startBus("session", &address))
        return;
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    m_valid = true;
}

PrivateDesktop::~PrivateDesktop()
{
    stopDconf(m_dir.path());
}

bool PrivateDesktop::startBus(const QByteArray &type, QByteArray *address)
{
    const QString configPath = m_dir.path() + QStringLiteral("/%1.conf").arg(QLatin1String(type));
    QFile config(configPath);
    if (!config.open(QIODevice::WriteOnly) || config.write(busConfig(type, m_dir.path())) < 0)
        return false;
    config.close();

    // The bus must outlive every D-Bus connection of this process: GLib ends
    // a process whose session bus goes away with SIGTERM. So the bus is not
    // stopped by us; the kernel stops it when this process has exited.
    const QByteArray configArg = "--config-file=" + QFile::encodeName(configPath);
    const QByteArray log = QFile::encodeName(m_dir.path()) + '/' + type + "-bus.log";
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return false;
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        const int logFd = open(log.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out[1], STDOUT_FILENO);
        if (logFd >= 0)
            dup2(logFd, STDERR_FILENO); // also the output of the services it starts
        execlp("dbus-daemon", "dbus-daemon", "--nofork", "--print-address=1", configArg.constData(),
               static_cast<char *>(nullptr));
        _exit(127);
    }
    close(out[1]);
    QByteArray line;
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n')
        line += c;
    close(out[0]);
    *address = line.trimmed();
    return !address->isEmpty();
}

int runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

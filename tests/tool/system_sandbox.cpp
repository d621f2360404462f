// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "system_sandbox.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <cerrno>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <vector>

namespace {

const QList<QByteArray> kOverlaid = {"/opt", "/usr/share", "/etc", "/usr/lib"};

bool writeProcFile(const char *path, const QByteArray &content)
{
    const int fd = open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = write(fd, content.constData(), content.size()) == content.size();
    close(fd);
    return ok;
}

} // namespace

bool SystemSandbox::enterPrivateNamespace(QString *reason)
{
    const uid_t uid = getuid();
    const gid_t gid = getgid();
    if (unshare(CLONE_NEWNS) != 0) {
        // Without privileges, a user namespace maps us to root inside it.
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
            *reason = QStringLiteral("no private mount namespace: %1").arg(qt_error_string(errno));
            return false;
        }
        writeProcFile("/proc/self/setgroups", "deny");
        if (!writeProcFile("/proc/self/uid_map", "0 " + QByteArray::number(uid) + " 1") ||
            !writeProcFile("/proc/self/gid_map", "0 " + QByteArray::number(gid) + " 1")) {
            *reason = QStringLiteral("cannot map the user namespace");
            return false;
        }
    }
    if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        *reason = QStringLiteral("cannot make mounts private: %1").arg(qt_error_string(errno));
        return false;
    }
    return true;
}

bool SystemSandbox::setUp()
{
    m_scratch = std::make_unique<QTemporaryDir>();
    const QByteArray scratch = QFile::encodeName(m_scratch->path());
    if (!m_scratch->isValid() || mount("tmpfs", scratch.constData(), "tmpfs", 0, "mode=0755") != 0)
        return false;
    m_mounts.append(scratch);
    for (const QByteArray &point : kOverlaid) {
        const QByteArray upper = upperDir(point);
        const QByteArray work = upper + ".work";
        if (!QDir().mkpath(QFile::decodeName(upper)) || !QDir().mkpath(QFile::decodeName(work)))
            return false;
        const QByteArray options = "lowerdir=" + point + ",upperdir=" + upper + ",workdir=" + work;
        if (mount("overlay", point.constData(), "overlay", 0, options.constData()) != 0)
            return false;
        m_mounts.append(point);
    }
    // A clean /opt/apps, whatever the host has installed there.
    if (!QDir().mkpath(QStringLiteral("/opt/apps")) ||
        mount("tmpfs", "/opt/apps", "tmpfs", 0, "mode=0755") != 0)
        return false;
    m_mounts.append("/opt/apps");
    // The linker's run lock lives here, outside the overlaid directories.
    return mountTmpfs("/run/lock", 0);
}

void SystemSandbox::tearDown()
{
    while (!m_mounts.isEmpty())
        umount2(m_mounts.takeLast().constData(), MNT_DETACH);
    m_scratch.reset();
}

QByteArray SystemSandbox::upperDir(const QByteArray &mountPoint) const
{
    QByteArray name = mountPoint.mid(1);
    name.replace('/', '_');
    return QFile::encodeName(m_scratch->path()) + "/" + name;
}

bool SystemSandbox::makeReadOnly(const QByteArray &mountPoint)
{
    if (mount(mountPoint.constData(), mountPoint.constData(), nullptr, MS_BIND, nullptr) != 0)
        return false;
    m_mounts.append(mountPoint);
    return mount(nullptr, mountPoint.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY,
                 nullptr) == 0;
}

void SystemSandbox::unmount(const QByteArray &mountPoint)
{
    const qsizetype last = m_mounts.lastIndexOf(mountPoint);
    if (last >= 0 && umount2(mountPoint.constData(), MNT_DETACH) == 0)
        m_mounts.removeAt(last);
}

bool SystemSandbox::setRoom(Room room)
{
    const QByteArray scratch = QFile::encodeName(m_scratch->path());
    struct statvfs st = {};
    if (statvfs(scratch.constData(), &st) != 0)
        return false;
    QByteArray options = "size=50%,nr_inodes=1m";
    if (room == Room::NoInodes)
        options = "nr_inodes=" + QByteArray::number(qulonglong(st.f_files - st.f_ffree));
    else if (room == Room::NoBlocks)
        options = "size=" + QByteArray::number(qulonglong(st.f_blocks - st.f_bfree) * st.f_frsize);
    return mount(nullptr, scratch.constData(), nullptr, MS_REMOUNT, options.constData()) == 0;
}

bool SystemSandbox::mountTmpfs(const QByteArray &path, int inodes)
{
    QByteArray options = "mode=0755";
    if (inodes > 0)
        options += ",nr_inodes=" + QByteArray::number(inodes);
    if (!QDir().mkpath(QFile::decodeName(path)) ||
        mount("tmpfs", path.constData(), "tmpfs", 0, options.constData()) != 0)
        return false;
    m_mounts.append(path);
    return true;
}

QProcessEnvironment linkerEnvironment(const QString &messagePattern)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_LOGGING_RULES"));
    env.remove(QStringLiteral("QT_MESSAGE_PATTERN"));
    if (!messagePattern.isEmpty())
        env.insert(QStringLiteral("QT_MESSAGE_PATTERN"), messagePattern);
    return env;
}

QList<LinkerRun> runLinkers(const QList<QProcessEnvironment> &envs, rlim_t openFiles)
{
    std::vector<std::unique_ptr<QProcess>> processes;
    for (const QProcessEnvironment &env : envs) {
        processes.push_back(std::make_unique<QProcess>());
        processes.back()->setProcessEnvironment(env.isEmpty() ? linkerEnvironment() : env);
        if (openFiles > 0) {
            processes.back()->setChildProcessModifier([openFiles] {
                const struct rlimit limit = {openFiles, openFiles};
                setrlimit(RLIMIT_NOFILE, &limit);
            });
        }
        processes.back()->start(QStringLiteral(LINKER_PATH), QStringList());
    }
    QList<LinkerRun> runs;
    for (const auto &process : processes) {
        LinkerRun run;
        if (process->waitForFinished(300000)) {
            run.crashed = process->exitStatus() != QProcess::NormalExit;
            run.exitCode = process->exitCode();
            run.standardError = process->readAllStandardError();
        }
        runs.append(run);
    }
    return runs;
}

LinkerRun runLinker(const QProcessEnvironment &env, rlim_t openFiles)
{
    return runLinkers({env}, openFiles).first();
}

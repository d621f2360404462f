// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "system_sandbox.h"

#include <QFile>
#include <QProcess>

#include <sys/mount.h>
#include <sys/statvfs.h>

#include <vector>

namespace {

const QList<QByteArray> kOverlaid = {"/opt", "/usr/share", "/etc", "/usr/lib"};

} // namespace

bool SystemSandbox::setUp()
{
    m_scratch = std::make_unique<QTemporaryDir>();
    // A clean /opt/apps, whatever the host has installed there, and the
    // linker's run lock, which lives outside the overlaid directories.
    return m_scratch->isValid() &&
           m_overlay.setUp(QFile::encodeName(m_scratch->path()), kOverlaid) &&
           m_overlay.mountTmpfs("/opt/apps", "mode=0755") && mountTmpfs("/run/lock", 0);
}

void SystemSandbox::tearDown()
{
    m_overlay.tearDown();
    m_scratch.reset();
}

bool SystemSandbox::setRoom(Room room)
{
    const QByteArray scratch = m_overlay.scratch();
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
    return m_overlay.mountTmpfs(path, options);
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

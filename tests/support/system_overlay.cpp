// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "system_overlay.h"

#include "write_file.h"

#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

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

bool enterPrivateMountNamespace(QString *reason, bool mapToRoot)
{
    const uid_t uid = getuid();
    const gid_t gid = getgid();
    if (unshare(CLONE_NEWNS) != 0) {
        if (!mapToRoot || unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
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

QList<QByteArray> existingDirs(const QList<QByteArray> &dirs)
{
    QList<QByteArray> result;
    for (const QByteArray &dir : dirs) {
        if (QFileInfo(QFile::decodeName(dir)).isDir())
            result.append(dir);
    }
    return result;
}

bool SystemOverlay::setUp(const QByteArray &scratch, const QList<QByteArray> &dirs)
{
    m_scratch = scratch;
    if (!mountTmpfs(scratch, "mode=0755"))
        return false;
    for (const QByteArray &dir : dirs) {
        const QByteArray upper = upperDir(dir);
        const QByteArray work = upper + ".work";
        if (!makeDirs(upper) || !makeDirs(work))
            return false;
        const QByteArray options = "lowerdir=" + dir + ",upperdir=" + upper + ",workdir=" + work;
        if (mount("overlay", dir.constData(), "overlay", 0, options.constData()) != 0)
            return false;
        m_mounts.append(dir);
    }
    return true;
}

void SystemOverlay::tearDown()
{
    while (!m_mounts.isEmpty())
        umount2(m_mounts.takeLast().constData(), MNT_DETACH);
}

QByteArray SystemOverlay::upperDir(const QByteArray &dir) const
{
    QByteArray name = dir.mid(1);
    name.replace('/', '_');
    return m_scratch + '/' + name;
}

bool SystemOverlay::mountTmpfs(const QByteArray &path, const QByteArray &options)
{
    if (!makeDirs(path) || mount("tmpfs", path.constData(), "tmpfs", 0, options.constData()) != 0)
        return false;
    m_mounts.append(path);
    return true;
}

bool SystemOverlay::makeReadOnly(const QByteArray &path)
{
    if (mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) != 0)
        return false;
    m_mounts.append(path);
    return mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) ==
           0;
}

void SystemOverlay::unmount(const QByteArray &path)
{
    const auto last = m_mounts.lastIndexOf(path);
    if (last >= 0 && umount2(path.constData(), MNT_DETACH) == 0)
        m_mounts.removeAt(last);
}

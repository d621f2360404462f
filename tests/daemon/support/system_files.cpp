// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "system_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <iterator>

#include <sched.h>
#include <sys/mount.h>

namespace {

const char *const kOverlaid[] = {"/etc", "/usr/share", "/opt"};

// Run by sh with $0 the tmpfs mount point, then pairs of staged file and
// system path up to "--", then the command.
const char kLayOut[] = R"sh(set -e
mount -t tmpfs tmpfs "$0"
for dir in %1; do
    [ -d "$dir" ] || continue
    layer="$0/$(echo "$dir" | tr / _)"
    mkdir -p "$layer/upper" "$layer/work"
    mount -t overlay overlay -o "lowerdir=$dir,upperdir=$layer/upper,workdir=$layer/work" "$dir"
done
while [ "$1" != -- ]; do
    mkdir -p "$(dirname "$2")"
    cp "$1" "$2"
    shift 2
done
shift
if [ -n "$HIDE_OWN_ENTRY" ]; then
    grep -v "^$(id -un):" /etc/passwd > "$0/passwd" || true
    cat "$0/passwd" > /etc/passwd
    # Only the file: other sources (systemd's) make up entries for root.
    { grep -v '^passwd:' /etc/nsswitch.conf || true; echo 'passwd: files'; } > "$0/nsswitch"
    cat "$0/nsswitch" > /etc/nsswitch.conf
fi
unset HIDE_OWN_ENTRY
exec "$@")sh";

} // namespace

bool SystemFiles::available()
{
    return QProcess::execute(QStringLiteral("unshare"),
                             {QStringLiteral("--mount"), QStringLiteral("true")}) == 0;
}

void SystemFiles::add(const QString &path, const QByteArray &content)
{
    const QString staged = m_dir.path() + QStringLiteral("/files/%1").arg(m_placements.size() / 2);
    writeFile(staged, content);
    m_placements << staged << path;
}

QStringList SystemFiles::wrapper() const
{
    QStringList dirs;
    for (const char *dir : kOverlaid)
        dirs << QLatin1String(dir);
    QDir().mkpath(m_dir.path() + QStringLiteral("/mnt"));
    QStringList words = {QStringLiteral("unshare"), QStringLiteral("--mount"),
                         QStringLiteral("--propagation"), QStringLiteral("private"),
                         QStringLiteral("env")};
    if (m_hideOwnEntry)
        words << QStringLiteral("HIDE_OWN_ENTRY=1");
    words << QStringLiteral("sh") << QStringLiteral("-c")
          << QString::fromLatin1(kLayOut).arg(dirs.join(QLatin1Char(' ')))
          << m_dir.path() + QStringLiteral("/mnt") << m_placements << QStringLiteral("--");
    return words;
}

bool PrivateSystem::s_active = false;

PrivateSystem::PrivateSystem()
    : PrivateSystem(QList<QByteArray>(std::begin(kOverlaid), std::end(kOverlaid)))
{}

PrivateSystem::PrivateSystem(const QList<QByteArray> &overlaid)
    : m_overlaid(overlaid)
{
    const QByteArray scratch = QFile::encodeName(m_scratch.path());
    if (!m_scratch.isValid() || unshare(CLONE_NEWNS) != 0 ||
        mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", scratch.constData(), "tmpfs", 0, nullptr) != 0)
        return;
    for (const QByteArray &dir : overlaid) {
        if (!QFileInfo::exists(QFile::decodeName(dir)))
            continue;
        const QByteArray layer = scratch + '/' + QByteArray(dir).replace('/', '_');
        QDir().mkpath(QFile::decodeName(layer + "/upper"));
        QDir().mkpath(QFile::decodeName(layer + "/work"));
        const QByteArray options = "lowerdir=" + QByteArray(dir) + ",upperdir=" + layer +
                                   "/upper,workdir=" + layer + "/work";
        if (mount("overlay", dir.constData(), "overlay", 0, options.constData()) != 0)
            return;
    }
    s_active = true;
}

PrivateSystem::~PrivateSystem()
{
    // Detached, the scratch directory is empty again and can be removed.
    for (const QByteArray &dir : qAsConst(m_overlaid))
        umount2(dir.constData(), MNT_DETACH);
    umount2(QFile::encodeName(m_scratch.path()).constData(), MNT_DETACH);
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size();
}

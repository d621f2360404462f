// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "system_files.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace {

const QList<QByteArray> kOverlaid = {"/etc", "/usr/share", "/opt"};

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
    const QString scratch = m_dir.path() + QStringLiteral("/mnt");
    QDir().mkpath(scratch);
    QStringList words = {QStringLiteral(PRIVATE_SYSTEM_RUN_PATH), scratch};
    if (m_hideOwnEntry)
        words << QStringLiteral("--hide-own-entry");
    words << m_placements << QStringLiteral("--");
    return words;
}

bool PrivateSystem::s_active = false;

PrivateSystem::PrivateSystem()
    : PrivateSystem(kOverlaid)
{}

PrivateSystem::PrivateSystem(const QList<QByteArray> &overlaid)
{
    QString reason;
    s_active = m_scratch.isValid() && enterPrivateMountNamespace(&reason) &&
               m_overlay.setUp(QFile::encodeName(m_scratch.path()), existingDirs(overlaid));
}

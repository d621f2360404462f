// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "planned_tree.h"

#include "fs_path.h"

#include <sys/stat.h>

namespace {

// As many links as the kernel follows before it gives up with ELOOP.
constexpr int kMaxLinks = 40;

PlannedTree::Entry fileSystemEntry(const QByteArray &path, bool followLinks)
{
    PlannedTree::Entry entry;
    struct stat st = {};
    if ((followLinks ? stat(path.constData(), &st) : lstat(path.constData(), &st)) != 0)
        return entry;
    entry.dev = st.st_dev;
    entry.ino = st.st_ino;
    if (S_ISLNK(st.st_mode)) {
        entry.type = PlannedTree::Type::Link;
        entry.link = readLinkContent(path);
    } else if (S_ISDIR(st.st_mode)) {
        entry.type = PlannedTree::Type::Directory;
    } else {
        entry.type = S_ISREG(st.st_mode) ? PlannedTree::Type::File : PlannedTree::Type::Special;
    }
    return entry;
}

} // namespace

const PlannedTree::Planned *PlannedTree::nearest(const QByteArray &path, qsizetype *length) const
{
    if (m_nodes.isEmpty())
        return nullptr;
    for (qsizetype size = path.size(); size > 0; size = path.lastIndexOf('/', size - 1)) {
        const auto found = m_nodes.constFind(QByteArray::fromRawData(path.constData(), size));
        if (found != m_nodes.constEnd()) {
            *length = size;
            return &found.value();
        }
    }
    return nullptr;
}

QByteArray PlannedTree::realDirectory(const QByteArray &dir) const
{
    if (dir == "/")
        return dir;
    auto found = m_realDirectories.constFind(dir);
    if (found == m_realDirectories.constEnd()) {
        // One level at a time, the levels above remembered: a run asks for
        // the directories of whole trees.
        QByteArray real = joinPath(realDirectory(parentPath(dir)), baseName(dir));
        struct stat st = {};
        if (lstat(real.constData(), &st) == 0 && S_ISLNK(st.st_mode)) {
            const QByteArray resolved = realPath(real);
            if (!resolved.isEmpty())
                real = resolved;
        }
        found = m_realDirectories.insert(dir, real);
    }
    return *found;
}

PlannedTree::Entry PlannedTree::locate(QByteArray *path) const
{
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        qsizetype length = 0;
        const Planned *planned = nearest(*path, &length);
        if (!planned) {
            // Links on the file system on the way (an entries tree that
            // leads back into the system directories) may lead to where
            // steps are planned, and relative links are resolved from there.
            const QByteArray parent = parentPath(*path);
            const QByteArray real = m_nodes.isEmpty() ? parent : realDirectory(parent);
            if (real == parent)
                return fileSystemEntry(*path, false);
            *path = joinPath(real, baseName(*path));
            continue;
        }
        Entry entry;
        entry.planned = true;
        if (length == path->size()) {
            if (planned->node == Node::Link) {
                entry.type = Type::Link;
                entry.link = planned->link;
            } else if (planned->node == Node::Directory) {
                entry.type = Type::Directory;
            }
            return entry;
        }
        // Below a directory a step makes only what a step puts there exists;
        // below a link, what the link leads to.
        if (planned->node != Node::Link)
            return entry;
        *path = resolveLinkContent(path->left(length), planned->link) + path->mid(length);
    }
    return Entry();
}

PlannedTree::Entry PlannedTree::entryAt(const QByteArray &path) const
{
    QByteArray located = path;
    return locate(&located);
}

PlannedTree::Entry PlannedTree::follow(QByteArray *path) const
{
    if (m_nodes.isEmpty())
        return fileSystemEntry(*path, true);
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        const Entry entry = locate(path);
        if (entry.type != Type::Link)
            return entry;
        *path = resolveLinkContent(*path, entry.link);
    }
    return Entry();
}

PlannedTree::Entry PlannedTree::resolve(const QByteArray &path) const
{
    QByteArray followed = path;
    return follow(&followed);
}

bool PlannedTree::isDirectory(const QByteArray &path) const
{
    return resolve(path).type == Type::Directory;
}

bool PlannedTree::isSameFile(const QByteArray &a, const QByteArray &b) const
{
    QByteArray first = a;
    QByteArray second = b;
    const Entry one = follow(&first);
    const Entry other = follow(&second);
    if (one.type == Type::Missing || other.type == Type::Missing || one.planned != other.planned)
        return false;
    // A directory a step makes is known by its path alone.
    return one.planned ? first == second : one.dev == other.dev && one.ino == other.ino;
}

bool PlannedTree::isAtOrBelowPlannedLink(const QByteArray &path) const
{
    for (qsizetype size = path.size(); size > 0 && !m_nodes.isEmpty();
         size = path.lastIndexOf('/', size - 1)) {
        const auto found = m_nodes.constFind(QByteArray::fromRawData(path.constData(), size));
        if (found != m_nodes.constEnd() && found->node == Node::Link)
            return true;
    }
    return false;
}

QList<QByteArray> PlannedTree::plannedLinkNames(const QByteArray &dir) const
{
    QList<QByteArray> names;
    for (auto it = m_nodes.constBegin(); it != m_nodes.constEnd(); ++it) {
        if (it->node == Node::Link && parentPath(it.key()) == dir)
            names.append(it.key().mid(dir.size() + 1));
    }
    return names;
}

void PlannedTree::record(const Step &step)
{
    switch (step.kind) {
    case Step::Kind::Add:
    case Step::Kind::Replace:
        m_nodes.insert(step.path, {Node::Link, step.target});
        break;
    case Step::Kind::Remove:
        m_nodes.insert(step.path, {Node::Gone, QByteArray()});
        break;
    case Step::Kind::MakeDir:
        m_nodes.insert(step.path, {Node::Directory, QByteArray()});
        break;
    case Step::Kind::Unfold:
        m_nodes.insert(step.path, {Node::Directory, QByteArray()});
        for (const PlannedLink &link : step.inside)
            m_nodes.insert(link.path, {Node::Link, link.target});
        break;
    }
}

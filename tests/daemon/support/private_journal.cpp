// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "private_journal.h"

#include <QtEndian>

#include <cstring>
#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const char kSocketPath[] = "/run/systemd/journal/socket";

PrivateJournal::Record parseRecord(const QByteArray &datagram)
{
    PrivateJournal::Record record;
    int pos = 0;
    while (pos < datagram.size()) {
        const int newline = datagram.indexOf('\n', pos);
        if (newline < 0)
            break;
        const int equals = datagram.indexOf('=', pos);
        if (equals >= 0 && equals < newline) {
            record.insert(datagram.mid(pos, equals - pos),
                          datagram.mid(equals + 1, newline - equals - 1));
            pos = newline + 1;
            continue;
        }
        if (newline + 1 + 8 > datagram.size())
            break;
        const auto size = qFromLittleEndian<quint64>(datagram.constData() + newline + 1);
        record.insert(datagram.mid(pos, newline - pos), datagram.mid(newline + 9, int(size)));
        pos = newline + 9 + int(size) + 1;
    }
    return record;
}

} // namespace

PrivateJournal::PrivateJournal()
{
    if (unshare(CLONE_NEWNS) != 0 ||
        mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", "/run", "tmpfs", 0, "mode=0755") != 0 || mkdir("/run/systemd", 0755) != 0 ||
        mkdir("/run/systemd/journal", 0755) != 0)
        return;
    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    static_assert(sizeof kSocketPath <= sizeof address.sun_path, "the path fits");
    std::memcpy(address.sun_path, kSocketPath, sizeof kSocketPath);
    if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0)
        m_socket = fd;
    else if (fd >= 0)
        close(fd);
}

PrivateJournal::~PrivateJournal()
{
    if (m_socket >= 0)
        close(m_socket);
}

QList<PrivateJournal::Record> PrivateJournal::takeRecords()
{
    QList<Record> records;
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    ssize_t size;
    while (m_socket >= 0 && (size = recv(m_socket, buffer.data(), size_t(buffer.size()), 0)) >= 0)
        records.append(parseRecord(buffer.left(int(size))));
    return records;
}

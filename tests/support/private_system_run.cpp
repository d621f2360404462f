// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// Runs a command in a private mount namespace whose /etc, /usr/share and /opt
// are copy-on-write overlays, their layers in a tmpfs at SCRATCH, holding the
// given files (each staged file copied to its system path):
//   private_system_run SCRATCH [--hide-own-entry] [STAGED PATH]... -- COMMAND...
// --hide-own-entry drops the running user's entry from /etc/passwd and makes
// the passwd database that file alone (systemd's source makes up an entry for
// root). The mounts go with the namespace when the command ends.

#include "system_overlay.h"
#include "write_file.h"

#include <QFile>
#include <QList>

#include <cstdio>
#include <cstring>
#include <pwd.h>
#include <unistd.h>

namespace {

QByteArray contentOf(const QByteArray &path)
{
    QFile file(QFile::decodeName(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The lines of the file at path that do not begin with prefix, then extra.
bool dropLines(const QByteArray &path, const QByteArray &prefix, const QByteArray &extra)
{
    QByteArray kept;
    for (const QByteArray &line : contentOf(path).split('\n')) {
        if (!line.isEmpty() && !line.startsWith(prefix))
            kept += line + '\n';
    }
    return writeFile(path, kept + extra);
}

bool hideOwnEntry()
{
    passwd entry = {};
    passwd *own = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &own) != 0 || !own)
        return false;
    return dropLines("/etc/passwd", QByteArray(own->pw_name) + ':', QByteArray()) &&
           dropLines("/etc/nsswitch.conf", "passwd:", "passwd: files\n");
}

int usage()
{
    std::fprintf(stderr, "usage: private_system_run SCRATCH [--hide-own-entry] "
                         "[STAGED PATH]... -- COMMAND...\n");
    return 125;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3)
        return usage();
    QString reason;
    SystemOverlay overlay;
    if (!enterPrivateMountNamespace(&reason) ||
        !overlay.setUp(argv[1], existingDirs({"/etc", "/usr/share", "/opt"}))) {
        std::fprintf(stderr, "private_system_run: cannot lay the overlays: %s\n",
                     qPrintable(reason));
        return 125;
    }
    int i = 2;
    const bool hide = std::strcmp(argv[i], "--hide-own-entry") == 0;
    if (hide)
        ++i;
    for (; i + 1 < argc && std::strcmp(argv[i], "--") != 0; i += 2) {
        if (!writeFile(QByteArray(argv[i + 1]), contentOf(argv[i])))
            return 125;
    }
    if (i + 1 >= argc || std::strcmp(argv[i], "--") != 0)
        return usage();
    if (hide && !hideOwnEntry())
        return 125;
    execvp(argv[i + 1], argv + i + 1);
    std::perror(argv[i + 1]);
    return 127;
}

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "vsysinfo.h"

#include <QFile>

namespace Vmo {
namespace Core {

int VSysInfo::evnEditionType()
{
    QFile file(QStringLiteral("/etc/ostrel-edition"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (!line.startsWith("EditionType="))
            continue;
        bool ok = false;
        const int code = line.mid(int(qstrlen("EditionType="))).trimmed().toInt(&ok);
        return ok ? code : 0;
    }
    return 0;
}

} // namespace Core
} // namespace Vmo

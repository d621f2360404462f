// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "multiarch.h"

#include <QProcess>

QString getMultiarchTriplet()
{
    QProcess process;
    process.start(QStringLiteral("bash"),
                  {QStringLiteral("-c"), QStringLiteral("gcc -dumpmachine")}, QIODevice::ReadWrite);
    process.waitForFinished(30000);
    const QString triplet = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    process.close();
    return triplet;
}

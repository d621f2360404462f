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

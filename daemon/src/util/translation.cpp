// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "translation.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

void loadStoreTranslation(QTranslator *translator)
{
    const QString path = QStringLiteral("/usr/share/ostrel-yarl-appstore-client/translations/"
                                        "ostrel-yarl-appstore-client_%1.qm")
                             .arg(QLocale::system().name());
    // Empty, not null, delimiters and suffix: exactly this file, no fallbacks.
    translator->load(path, QString(), QStringLiteral(""), QStringLiteral(""));
    QCoreApplication::installTranslator(translator);
}

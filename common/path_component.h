// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

// Shared by the linker (Qt 6) and the session daemon (Qt 5): header only, so
// each build compiles it against its own Qt.

#include <QChar>
#include <QLatin1String>
#include <QString>

#include <algorithm>

// Whether name, from a package, names exactly one directory below /opt/apps and
// says nothing to a shell or a terminal: not empty, not "." or "..", and free of
// slashes and control characters.
inline bool isSinglePathComponent(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    return std::none_of(name.begin(), name.end(), [](QChar ch) {
        return ch == QLatin1Char('/') || ch.category() == QChar::Other_Control;
    });
}

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QString>

// Percent-encodes the characters of a proxy user or password that would make
// consumers split the URL in the wrong place: "@", ":", "/", "?", "#", "%",
// white space and control characters. Every other character stays as it is.
QString escapeProxyCredential(const QString &text);

// The proxy environment as JSON text (an object of URL strings) with every
// password in a URL's user information replaced by "***", for logging.
QString maskProxyPasswords(const QString &environmentJson);

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

namespace Vmo {
namespace Core {

// Facts about the installed system.
class VSysInfo
{
public:
    // The edition code from the line "EditionType=<code>" of /etc/ostrel-edition;
    // 0 when the file, the line or a number is missing.
    static int evnEditionType();
};

} // namespace Core
} // namespace Vmo

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// Sanitizer settings for the targets whose input reaches QJsonDocument::fromJson.
//
// Qt 5's JSON parser loses the earlier value of a key that an object gives
// twice when that value is an object or an array. The fault is Qt's, so the
// leak is not reported where QJsonDocument::fromJson made it. Finding that
// frame takes whole allocation stacks, which are slower to take: Qt is built
// without frame pointers.

extern "C" const char *__asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}

extern "C" const char *__lsan_default_suppressions()
{
    return "leak:QJsonDocument::fromJson\n";
}

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// A plug-in that does nothing: the baseline for the host's memory.
extern "C" {
__attribute__((visibility("default"))) int KpxRegister(const char *, void *)
{
    return 0;
}
__attribute__((visibility("default"))) int KpxUnRegister(const char *, void *)
{
    return 0;
}
}

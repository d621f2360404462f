// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

// What the command line asks for.
enum class Request {
    Run,
    DryRun,
    Help,
    Invalid, // an argument that is no option of the program's
};

Request parseCommandLine(int argc, const char *const *argv);

// The usage text that --help prints.
extern const char kUsage[];

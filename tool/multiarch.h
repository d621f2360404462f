// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QString>

// The multiarch triplet reported by "gcc -dumpmachine" (for example
// x86_64-linux-gnu); empty when gcc is missing or fails.
QString getMultiarchTriplet();

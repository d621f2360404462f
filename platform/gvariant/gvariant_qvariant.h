// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QVariant>

typedef struct _GVariant GVariant;

// The one conversion between GLib's and Qt's variant types, shared by the
// dconf and GSettings layers.
namespace GVariantQVariant {

// Booleans, the integer types, doubles, strings (also object paths and
// signatures), string arrays and byte arrays; a variant is unwrapped. Any
// other type, and a null pointer, gives an invalid QVariant.
QVariant toQVariant(GVariant *value);

// The inverse for bool, int, uint, 64-bit integers, double, QString,
// QStringList and QByteArray; other types that convert to a string become
// "s". Returns a new floating reference, or null for an invalid QVariant.
GVariant *toGVariant(const QVariant &value);

} // namespace GVariantQVariant

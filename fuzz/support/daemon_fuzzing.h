// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QCoreApplication>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What the plug-in's fuzz targets share.

// Lets the code under test log as it does, formatting every message, and
// prints none of them.
void silenceMessages();

// Gives this process the plug-in's world, once, before anything else exists:
// a private mount namespace whose /etc names edition 3 (so the bridge relays
// the system daemon's notices), an application object, and a private desktop
// (buses, dconf, the build tree's schemas). Exits with 77 where the namespace
// cannot be made. Messages are silenced.
void setUpPluginWorld();

// The input as the bus delivers text: UTF-8, invalid sequences replaced.
QString textOf(const std::uint8_t *data, std::size_t size);

// Calls the slot of object by name, as the bus or a signal would, then lets
// the event loop handle what that queued. Aborts when there is no such slot.
template <typename... Arguments>
void invokeSlot(QObject *object, const char *slot, Arguments... arguments)
{
    if (!QMetaObject::invokeMethod(object, slot, Qt::DirectConnection, arguments...)) {
        std::fprintf(stderr, "no slot %s\n", slot);
        std::abort();
    }
    QCoreApplication::processEvents();
}

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "plugin.h"

#include "appstore_daemon_interface.h"
#include "dbus_interface.h"
#include "logging_and_config.h"
#include "translation.h"

#include <QTranslator>

namespace {

DBusInterface *g_serviceObject = nullptr;
AppstoreDaemonInterface *g_bridge = nullptr;
QTranslator *g_translator = nullptr;

void loadTranslation()
{
    g_translator = new QTranslator(nullptr);
    loadStoreTranslation(g_translator);
}

template <typename T> void scheduleDeletion(T *&object)
{
    if (!object)
        return;
    object->deleteLater();
    object = nullptr;
}

} // namespace

extern "C" {

int KpxRegister(const char *name, void *)
{
    g_serviceObject = new DBusInterface(name, nullptr);
    if (g_serviceObject->registerDBus()) {
        loadTranslation();
        g_bridge = AppstoreDaemonInterface::instance();
        return 0;
    }
    qCWarning(logMain) << "Register D-Bus failed";
    scheduleDeletion(g_serviceObject);
    scheduleDeletion(g_translator);
    return 0;
}

int KpxUnRegister(const char *, void *)
{
    scheduleDeletion(g_serviceObject);
    scheduleDeletion(g_bridge);
    scheduleDeletion(g_translator);
    return 0;
}
}

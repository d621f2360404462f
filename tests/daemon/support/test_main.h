// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include "private_desktop.h"
#include "system_files.h"

#include <QCoreApplication>
#include <QTest>

// Runs the test class inside the private desktop: buses, dconf, schemas.
template <typename TestClass> int execInPrivateDesktop(int &argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    PrivateDesktop desktop;
    if (!desktop.isValid()) {
        qCritical("cannot start the private desktop (dbus-daemon, dconf)");
        return 1;
    }
    TestClass test;
    return QTest::qExec(&test, argc, argv);
}

// main() for tests that need the private desktop.
#define PRIVATE_DESKTOP_TEST_MAIN(TestClass)                                                       \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        return execInPrivateDesktop<TestClass>(argc, argv);                                        \
    }

// The same, first moving the test into a private mount namespace with its own
// /etc, /usr/share and /opt, or the directories given after the class, as in
// PRIVATE_SYSTEM_TEST_MAIN(TestClass, {"/usr", "/var"}) (PrivateSystem::isActive()
// tells whether it could).
#define PRIVATE_SYSTEM_TEST_MAIN(TestClass, ...)                                                   \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        const PrivateSystem system{__VA_ARGS__};                                                   \
        return execInPrivateDesktop<TestClass>(argc, argv);                                        \
    }

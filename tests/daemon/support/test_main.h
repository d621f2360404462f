#pragma once

#include "private_desktop.h"

#include <QCoreApplication>
#include <QTest>

// main() for tests that need the private desktop: buses, dconf, schemas.
#define PRIVATE_DESKTOP_TEST_MAIN(TestClass)                                                       \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        QCoreApplication app(argc, argv);                                                          \
        PrivateDesktop desktop;                                                                    \
        if (!desktop.isValid()) {                                                                  \
            qCritical("cannot start the private desktop (dbus-daemon, dconf)");                    \
            return 1;                                                                              \
        }                                                                                          \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }

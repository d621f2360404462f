// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include "system_sandbox.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QStringList>

// What the tests that run the real linker in a SystemSandbox share.

QByteArray entries(const QByteArray &appId); // the entries root of an application
void writeInfo(const QByteArray &dir, const QByteArray &json);
void installApp(const QByteArray &appId, bool autostart = false);
// Applications that share help/C and a translation directory, ship the same
// two files, and have a browser plug-in each (a triplet query per application).
void installSharingApps(const QList<QByteArray> &apps);
QByteArray contentOf(const QByteArray &path);
// The environment of a run whose renames have faults (see rename_faults.cpp):
// killed at killAt unless it is empty, the exchange of a directory refused
// where refuseExchange is set.
QProcessEnvironment withRenameFaults(const QByteArray &killAt, bool refuseExchange = false);
QStringList sortedLines(const QByteArray &output);

// A run of the real binary with arguments, its standard output kept too.
struct LinkerOutput
{
    int exitCode = -1;
    QByteArray standardOutput;
    QByteArray standardError;
};
LinkerOutput runLinkerWith(const QStringList &arguments,
                           const QProcessEnvironment &env = QProcessEnvironment());

// A test object whose tests each get a fresh sandbox laid out as a bare system.
class LinkerTest : public QObject
{
protected:
    SystemSandbox &sandbox() { return m_sandbox; }
    const SystemSandbox &sandbox() const { return m_sandbox; }
    // The multiarch triplet of this machine, as gcc names it.
    const QByteArray &triplet() const { return m_triplet; }

    // Skips where the sandbox is not available; reads the triplet.
    void setUpTestCase();
    // Sets the sandbox up with every target directory in place (the linker
    // creates only their parents).
    void prepareSystem();
    void freshSystem();
    // Every link the runs made, by its system path.
    QMap<QByteArray, QByteArray> linkState() const;
    void runAndExpectExitZero(const QProcessEnvironment &env = QProcessEnvironment());
    // The links one clean run makes for these applications; leaves a fresh system.
    QMap<QByteArray, QByteArray> stateOfOneRun(const QList<QByteArray> &apps);

private:
    SystemSandbox m_sandbox;
    QByteArray m_triplet;
};

// Why the private namespace could not be entered; empty where it was.
extern QString g_sandboxUnavailable;

// main() of a sandboxed test: the namespace is entered before any thread
// exists, because unshare() refuses a multi-threaded process.
#define SANDBOX_TEST_MAIN(TestClass)                                                               \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        if (!SystemSandbox::enterPrivateNamespace(&g_sandboxUnavailable) &&                        \
            g_sandboxUnavailable.isEmpty())                                                        \
            g_sandboxUnavailable = QStringLiteral("no private mount namespace");                   \
        QCoreApplication app(argc, argv);                                                          \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }

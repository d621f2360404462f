// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// session-plugin-host: a minimal session service manager. It loads one
// plug-in library, registers it, runs the event loop and unregisters it on
// SIGTERM or SIGINT. With --unload it unregisters and unloads the plug-in at
// once and goes on running, as a session manager does with a plug-in it no
// longer uses. On SIGUSR1 it prints its environment, which the programs a
// session manager starts would inherit. The logging rules of
// QT_LOGGING_RULES and of the store's configuration key "log_rules" govern the
// whole process, plug-in included.

#include "log_rules_watcher.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QLibrary>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <ctime>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using EntryPoint = int (*)(const char *, void *);

int g_signalPipe[2] = {-1, -1};

void onSignal(int signal)
{
    const char byte = char(signal);
    (void)!write(g_signalPipe[1], &byte, 1);
}

void report(const char *what, int result)
{
    std::printf("%s: %d\n", what, result);
    std::fflush(stdout);
}

long long monotonicNanoseconds()
{
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

void printEnvironment()
{
    std::printf("environment:\n");
    for (char **variable = environ; *variable; ++variable)
        std::printf("  %s\n", *variable);
    std::printf("end of environment\n");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("session-plugin-host"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Loads a session plug-in, calls its KpxRegister, runs until SIGTERM or SIGINT, then "
        "calls KpxUnRegister, lets its deferred deletions run, unloads it and exits with status "
        "0. SIGUSR1 prints the environment."));
    parser.addHelpOption();
    const QCommandLineOption connectionOption(
        QStringLiteral("connection"),
        QStringLiteral("Open a session-bus connection named <name> (trimmed) and hand <name> to "
                       "the plug-in; its unique bus name is printed."),
        QStringLiteral("name"));
    parser.addOption(connectionOption);
    const QCommandLineOption unloadOption(
        QStringLiteral("unload"),
        QStringLiteral("Once the event loop runs, call KpxUnRegister, let the deferred deletions "
                       "run and unload the plug-in (\"unloaded: 1\" when it was), then keep "
                       "running until SIGTERM or SIGINT."));
    parser.addOption(unloadOption);
    parser.addPositionalArgument(QStringLiteral("plugin"),
                                 QStringLiteral("Path of the plug-in library."));
    parser.process(app);
    if (parser.positionalArguments().size() != 1) {
        std::fprintf(stderr, "session-plugin-host: expected one plug-in path (see --help)\n");
        return 2;
    }

    const LogRulesWatcher logRules(nullptr);

    // Unloaded as any host may unload it: a plug-in that must stay mapped
    // has to see to that itself.
    QLibrary plugin(parser.positionalArguments().constFirst());
    const auto registerPlugin = reinterpret_cast<EntryPoint>(plugin.resolve("KpxRegister"));
    const auto unregisterPlugin = reinterpret_cast<EntryPoint>(plugin.resolve("KpxUnRegister"));
    if (!registerPlugin || !unregisterPlugin) {
        std::fprintf(stderr, "session-plugin-host: %s\n", qPrintable(plugin.errorString()));
        return 1;
    }

    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
        return 1;
    QSocketNotifier notifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &app, [&] {
        char byte;
        (void)!read(g_signalPipe[0], &byte, 1);
        if (byte == SIGUSR1) {
            printEnvironment();
            return;
        }
        notifier.setEnabled(false);
        if (plugin.isLoaded())
            report("KpxUnRegister", unregisterPlugin(nullptr, nullptr));
        QCoreApplication::quit();
    });
    for (const int signal : {SIGTERM, SIGINT, SIGUSR1}) {
        if (std::signal(signal, onSignal) == SIG_ERR)
            std::fprintf(stderr, "session-plugin-host: cannot handle signal %d\n", signal);
    }

    QByteArray connectionName;
    if (parser.isSet(connectionOption)) {
        connectionName = parser.value(connectionOption).toUtf8();
        const QDBusConnection bus = QDBusConnection::connectToBus(
            QDBusConnection::SessionBus, QString::fromUtf8(connectionName).trimmed());
        std::printf("connection: %s\n", qPrintable(bus.baseService()));
    }
    std::printf("calling KpxRegister at %lld ns\n", monotonicNanoseconds());
    const int registered =
        registerPlugin(connectionName.isNull() ? nullptr : connectionName.constData(), nullptr);
    std::printf("KpxRegister returned at %lld ns\n", monotonicNanoseconds());
    report("KpxRegister", registered);
    // Once the event loop runs, as a session manager would.
    QTimer unload;
    unload.setSingleShot(true);
    QObject::connect(&unload, &QTimer::timeout, &app, [&] {
        report("KpxUnRegister", unregisterPlugin(nullptr, nullptr));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        report("unloaded", plugin.unload());
    });
    if (parser.isSet(unloadOption))
        unload.start(0);

    QCoreApplication::exec();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    plugin.unload();
    return 0;
}

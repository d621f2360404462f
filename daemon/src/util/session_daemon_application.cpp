// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "session_daemon_application.h"

#include "appstore_daemon_interface.h"
#include "logging_and_config.h"
#include "translation.h"

#include <vlogmanager.h>

#include <QSocketNotifier>
#include <QTranslator>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const int kTerminationSignals[] = {SIGINT, SIGABRT, SIGTERM};

// The handler writes the signal number into one end; the event loop reads it
// from the other. Opened once for the process.
int g_signalSocket[2] = {-1, -1};

bool openSignalSocket()
{
    static const bool open =
        socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalSocket) == 0;
    return open;
}

void onSignal(int signal)
{
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    (void)!write(g_signalSocket[1], &number, 1);
    errno = savedErrno;
}

void quitApp(int signal)
{
    qCDebug(logMain) << QStringLiteral("SIGNAL %1 recv, exit").arg(signal);
    QCoreApplication::quit();
}

} // namespace

SessionDaemonApplication::SessionDaemonApplication(int &argc, char **argv)
    : QCoreApplication(argc, argv)
{
    loadTranslation();
    setOrganizationName(QStringLiteral("ostrel"));
    setApplicationName(QStringLiteral("ostrel-appstore-session-daemon"));
    Vmo::Core::VLogManager::registerConsoleAppender();
    Vmo::Core::VLogManager::registerFileAppender();
    Vmo::Core::VLogManager::registerJournalAppender();
    m_bridge = AppstoreDaemonInterface::instance();
    watchTerminationSignals();
}

SessionDaemonApplication::~SessionDaemonApplication()
{
    for (const int signal : kTerminationSignals) {
        if (std::signal(signal, SIG_DFL) == SIG_ERR)
            qCWarning(logMain) << "Cannot restore the default action of signal" << signal;
    }
    // Deferred deletions still queued when the application object goes are
    // dropped, so the bridge is deleted now.
    delete m_bridge;
}

void SessionDaemonApplication::loadTranslation()
{
    m_translator = new QTranslator(this);
    loadStoreTranslation(m_translator);
}

void SessionDaemonApplication::watchTerminationSignals()
{
    if (!openSignalSocket()) {
        qCWarning(logMain) << "Cannot watch termination signals:" << qt_error_string(errno);
        return;
    }
    auto *notifier = new QSocketNotifier(g_signalSocket[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [] {
        unsigned char number;
        if (read(g_signalSocket[0], &number, 1) == 1)
            quitApp(number);
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kTerminationSignals)
        sigaction(signal, &action, nullptr);
}

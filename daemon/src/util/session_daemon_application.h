// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include "export.h"

#include <QCoreApplication>
#include <QPointer>

class AppstoreDaemonInterface;
class QTranslator;

// The application object of a process that runs the bridge by itself: it
// loads the translations, sets the identity "ostrel"/"ostrel-appstore-session-
// daemon", sends log output to the console, a log file and the journal,
// creates the bridge (or takes the existing one) and makes SIGINT, SIGABRT
// and SIGTERM end the event loop. The session-bus service object is not
// created, so the well-known bus name is not claimed.
class OSTREL_EXPORT SessionDaemonApplication : public QCoreApplication
{
    Q_OBJECT

public:
    SessionDaemonApplication(int &argc, char **argv);
    // Destroys the bridge.
    ~SessionDaemonApplication() override;

private:
    void loadTranslation();
    void watchTerminationSignals();

    QTranslator *m_translator = nullptr;
    QPointer<AppstoreDaemonInterface> m_bridge;
};

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QStringList>

// A test peer (tests/peers) running on the private system bus; it records
// every call it receives.
class Peer
{
public:
    ~Peer();
    bool start(const QString &program, const QStringList &arguments = {});
    void stop();
    // The calls received so far with the given member name.
    QList<QJsonObject> calls(const QString &member);

private:
    QProcess m_process;
    QList<QJsonObject> m_calls;
    QByteArray m_pending;
};

// session-plugin-host running the plug-in; its output is collected.
class Host
{
public:
    explicit Host(const QString &plugin = QStringLiteral(PLUGIN_PATH))
        : m_plugin(plugin)
    {}
    ~Host();
    // wrapper: words put before the host's command line (setpriv, sh -c ...).
    bool start(const QStringList &hostArguments, const QStringList &wrapper = {});
    // SIGTERM, then the exit code (-1 if it did not exit normally).
    int stop();
    qint64 pid() const { return m_process.processId(); }
    // Lines of standard error ("category|type|message") and standard output so far.
    QStringList errorLines();
    QStringList outputLines();
    // The plug-in's log lines ("type|message").
    QStringList pluginLines();

private:
    QString m_plugin;
    QProcess m_process;
    QByteArray m_errors;
    QByteArray m_output;
};

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "session_processes.h"

#include <QJsonDocument>
#include <QTest>

#include <csignal>

Peer::~Peer()
{
    stop();
}

bool Peer::start(const QString &program, const QStringList &arguments)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(program, arguments);
    if (!m_process.waitForStarted(10000))
        return false;
    while (!m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(10000))
            return false;
    }
    return m_process.readLine().trimmed() == "ready";
}

void Peer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
    m_process.waitForFinished(5000);
    // What it recorded stays readable when it is started again.
    m_pending += m_process.readAllStandardOutput();
}

QList<QJsonObject> Peer::calls(const QString &member)
{
    m_pending += m_process.readAllStandardOutput();
    int newline;
    while ((newline = m_pending.indexOf('\n')) >= 0) {
        m_calls.append(QJsonDocument::fromJson(m_pending.left(newline)).object());
        m_pending.remove(0, newline + 1);
    }
    QList<QJsonObject> matching;
    for (const QJsonObject &call : qAsConst(m_calls)) {
        if (call.value(QLatin1String("member")).toString() == member)
            matching.append(call);
    }
    return matching;
}

Host::~Host()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool Host::start(const QStringList &hostArguments, const QStringList &wrapper)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_MESSAGE_PATTERN"),
               QStringLiteral("%{category}|%{type}|%{message}"));
    m_process.setProcessEnvironment(env);
    QStringList command = wrapper;
    command << QStringLiteral(HOST_PATH) << hostArguments << m_plugin;
    m_process.start(command.takeFirst(), command);
    if (!m_process.waitForStarted(10000))
        return false;
    // Started once KpxRegister has returned.
    for (int i = 0;
         i < 100 && !outputLines().join(QLatin1Char('\n')).contains(QLatin1String("KpxRegister: "));
         ++i)
        m_process.waitForReadyRead(100);
    return outputLines().join(QLatin1Char('\n')).contains(QLatin1String("KpxRegister: 0"));
}

int Host::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    kill(pid_t(m_process.processId()), SIGTERM);
    if (!m_process.waitForFinished(10000))
        return -1;
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

QStringList Host::errorLines()
{
    m_errors += m_process.readAllStandardError();
    return QString::fromUtf8(m_errors).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList Host::outputLines()
{
    m_output += m_process.readAllStandardOutput();
    return QString::fromUtf8(m_output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList Host::pluginLines()
{
    QStringList lines;
    const QString prefix = QStringLiteral("com.ostrel.app-store.session-daemon|");
    for (const QString &line : errorLines()) {
        if (line.startsWith(prefix))
            lines.append(line.mid(prefix.size()));
    }
    return lines;
}

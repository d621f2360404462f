// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// A stand-in for the lock service "org.ostrel.kse.LockService1" on the
// (private) system bus. CurrentUser answers with the text given by --reply,
// with no argument at all (--no-arguments) or with an error (--error); every
// call is recorded on standard output. A test makes it emit UserChanged
// through "org.ostrel.test.LockService".

#include "call_record.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>

class LockService : public QObject, protected QDBusContext
{
    Q_OBJECT

public:
    enum class Answer { Text, NoArguments, Error };
    Answer answer = Answer::Text;
    QString reply;

    QString currentUser()
    {
        recordCall(QStringLiteral("CurrentUser"), {}, message().service());
        if (answer == Answer::Text)
            return reply;
        setDelayedReply(true);
        connection().send(answer == Answer::Error ? message().createErrorReply(
                                                        QStringLiteral("org.ostrel.Error.Failed"),
                                                        QStringLiteral("no current user"))
                                                  : message().createReply());
        return QString();
    }
};

class LockAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.ostrel.kse.LockService1")

public:
    explicit LockAdaptor(LockService *service)
        : QDBusAbstractAdaptor(service)
        , m_service(service)
    {}

public Q_SLOTS:
    QString CurrentUser() { return m_service->currentUser(); }

Q_SIGNALS:
    void UserChanged(const QString &userName);

private:
    LockService *m_service;
};

class ControlAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.ostrel.test.LockService")

public:
    ControlAdaptor(LockService *service, LockAdaptor *signals)
        : QDBusAbstractAdaptor(service)
        , m_signals(signals)
    {}

public Q_SLOTS:
    void EmitUserChanged(const QString &userName) { Q_EMIT m_signals->UserChanged(userName); }

private:
    LockAdaptor *m_signals;
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption replyOption(QStringLiteral("reply"),
                                         QStringLiteral("Text CurrentUser answers with."),
                                         QStringLiteral("text"));
    const QCommandLineOption noArguments(QStringLiteral("no-arguments"),
                                         QStringLiteral("Answer CurrentUser without arguments."));
    const QCommandLineOption error(QStringLiteral("error"),
                                   QStringLiteral("Answer CurrentUser with an error."));
    parser.addOptions({replyOption, noArguments, error});
    parser.process(app);

    LockService service;
    service.reply = parser.value(replyOption);
    if (parser.isSet(noArguments))
        service.answer = LockService::Answer::NoArguments;
    if (parser.isSet(error))
        service.answer = LockService::Answer::Error;
    auto *adaptor = new LockAdaptor(&service);
    new ControlAdaptor(&service, adaptor);
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.registerObject(QStringLiteral("/org/ostrel/kse/LockService1"), &service) ||
        !bus.registerService(QStringLiteral("org.ostrel.kse.LockService1"))) {
        std::fprintf(stderr, "lock-service-peer: cannot register on the system bus\n");
        return 1;
    }
    announceReady();
    return QCoreApplication::exec();
}

#include "lock_service_peer.moc"

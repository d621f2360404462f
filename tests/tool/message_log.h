#pragma once

#include <QString>
#include <QStringList>

// Records the messages the code under test logs, as "function|message" lines,
// for as long as it lives.
class MessageLog
{
public:
    MessageLog();
    ~MessageLog();
    QStringList lines() const;
};

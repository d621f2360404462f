// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include "export.h"

#include <QObject>
#include <QStringList>
#include <QVariant>

// Applies Qt logging rules to the whole process: those of QT_LOGGING_RULES,
// read once when constructed (the variable is then removed), followed by
// those of the store configuration's key "log_rules", which it follows: every
// change of the key replaces all the rules. Rules are separated by ';'.
class OSTREL_EXPORT LogRulesWatcher : public QObject
{
    Q_OBJECT

public:
    explicit LogRulesWatcher(QObject *parent = nullptr);
    ~LogRulesWatcher() override;

    // The non-empty pieces of the text between ';', untrimmed.
    static QStringList parseLogRules(const QString &rules);

private Q_SLOTS:
    void slotVConfigValueChanged(const QString &appId, const QString &name, const QString &subpath,
                                 const QString &key, const QVariant &value);

private:
    void initLogRules();
    void initConnections();
    void installRules();

    QStringList m_rules;
};

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "log_rules_watcher.h"

#include "logging_rules.h"
#include "logging_and_config.h"
#include "vconfig_watcher.h"

#include <QLoggingCategory>

namespace {

const char kRulesVariable[] = "QT_LOGGING_RULES";
const QString kRulesKey = QStringLiteral("log_rules");

} // namespace

LogRulesWatcher::LogRulesWatcher(QObject *parent)
    : QObject(parent)
{
    initLogRules();
    initConnections();
}

LogRulesWatcher::~LogRulesWatcher() = default;

QStringList LogRulesWatcher::parseLogRules(const QString &rules)
{
    return rules.split(QLatin1Char(';'), Qt::SkipEmptyParts, Qt::CaseSensitive);
}

void LogRulesWatcher::initLogRules()
{
    m_rules = parseLogRules(QString::fromUtf8(qgetenv(kRulesVariable).constData()));
    qunsetenv(kRulesVariable);
    const QVariant value = VConfigWatcher::instance()->getValueSync(
        QString::fromLatin1(kVConfigAppStoreAppId), QString::fromLatin1(kVConfigAppStoreName),
        QString(), kRulesKey);
    m_rules += parseLogRules(value.toString());
    installRules();
}

void LogRulesWatcher::initConnections()
{
    connect(VConfigWatcher::instance(), &VConfigWatcher::sigValueChanged, this,
            &LogRulesWatcher::slotVConfigValueChanged);
}

void LogRulesWatcher::slotVConfigValueChanged(const QString &appId, const QString &name,
                                              const QString &subpath, const QString &key,
                                              const QVariant &value)
{
    if (appId != QLatin1String(kVConfigAppStoreAppId) ||
        name != QLatin1String(kVConfigAppStoreName) || !subpath.isEmpty() || key != kRulesKey)
        return;
    m_rules = parseLogRules(value.toString());
    installRules();
}

void LogRulesWatcher::installRules()
{
    // Later rules win: the configuration's over the environment's.
    const QString rules = m_rules.join(QLatin1Char('\n'));
    LoggingRules::enforce(rules);
    QLoggingCategory::setFilterRules(rules);
}

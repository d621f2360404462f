// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "logging_rules.h"

#include <QLoggingCategory>

#include <atomic>
#include <mutex>

namespace {

const std::pair<QLatin1String, QtMsgType> kLevels[] = {
    {QLatin1String(".debug"), QtDebugMsg},
    {QLatin1String(".info"), QtInfoMsg},
    {QLatin1String(".warning"), QtWarningMsg},
    {QLatin1String(".critical"), QtCriticalMsg},
};

// The rules in force and the filter that ran before ours. Qt calls category
// filters from any thread that creates a category, until the very end of the
// process, so the rules are never destroyed.
std::mutex g_mutex;
LoggingRules &g_enforced = *new LoggingRules;
std::atomic<QLoggingCategory::CategoryFilter> g_qtFilter{nullptr};

void filterCategory(QLoggingCategory *category)
{
    // Null only while installFilter() itself filters every category once.
    if (const QLoggingCategory::CategoryFilter qtFilter = g_qtFilter.load())
        qtFilter(category);
    const std::lock_guard<std::mutex> lock(g_mutex);
    g_enforced.applyTo(category);
}

} // namespace

LoggingRules::LoggingRules(const QString &text)
{
    // Qt reads the text like the [Rules] section of its configuration files.
    bool inRulesSection = true;
    for (const QString &untrimmed : text.split(QLatin1Char('\n'))) {
        const QString line = untrimmed.trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            const QString section = line.mid(1, line.size() - 2).trimmed();
            inRulesSection = section.compare(QLatin1String("rules"), Qt::CaseInsensitive) == 0;
        } else if (inRulesSection) {
            if (const std::optional<Rule> rule = parseRule(line))
                m_rules.append(*rule);
        }
    }
}

std::optional<LoggingRules::Rule> LoggingRules::parseRule(const QString &line)
{
    const int equals = line.indexOf(QLatin1Char('='));
    if (equals < 0 || equals != line.lastIndexOf(QLatin1Char('=')))
        return std::nullopt;
    const QString value = line.mid(equals + 1).trimmed();
    if (value != QLatin1String("true") && value != QLatin1String("false"))
        return std::nullopt;

    Rule rule;
    rule.enabled = value == QLatin1String("true");
    rule.pattern = line.left(equals).trimmed();
    for (const auto &[suffix, level] : kLevels) {
        if (rule.pattern.endsWith(suffix)) {
            rule.pattern.chop(suffix.size());
            rule.level = level;
            break;
        }
    }
    const bool prefix = rule.pattern.endsWith(QLatin1Char('*'));
    if (prefix)
        rule.pattern.chop(1);
    const bool suffix = rule.pattern.startsWith(QLatin1Char('*'));
    if (suffix)
        rule.pattern.remove(0, 1);
    if (rule.pattern.contains(QLatin1Char('*'))) // '*' only at the start and the end
        return std::nullopt;
    rule.match = prefix && suffix ? Rule::Match::Contains
                 : prefix         ? Rule::Match::Prefix
                 : suffix         ? Rule::Match::Suffix
                                  : Rule::Match::Exact;
    return rule;
}

bool LoggingRules::Rule::names(const QString &category, int messageLevel) const
{
    if (level != -1 && level != messageLevel)
        return false;
    switch (match) {
    case Match::Exact:
        return category == pattern;
    case Match::Prefix:
        return category.startsWith(pattern);
    case Match::Suffix:
        return category.endsWith(pattern);
    case Match::Contains:
        return category.contains(pattern);
    }
    return false;
}

void LoggingRules::applyTo(QLoggingCategory *category) const
{
    const QString name = QString::fromUtf8(category->categoryName());
    for (const auto &level : kLevels) {
        for (auto rule = m_rules.crbegin(); rule != m_rules.crend(); ++rule) {
            if (rule->names(name, level.second)) {
                category->setEnabled(level.second, rule->enabled);
                break;
            }
        }
    }
}

void LoggingRules::enforce(const QString &text)
{
    LoggingRules rules(text);
    {
        const std::lock_guard<std::mutex> lock(g_mutex);
        g_enforced = std::move(rules);
    }
    static std::once_flag installed;
    std::call_once(installed, [] { g_qtFilter = QLoggingCategory::installFilter(filterCategory); });
}

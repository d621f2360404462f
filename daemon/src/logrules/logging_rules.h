// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QString>
#include <QVector>

#include <optional>

class QLoggingCategory;

// Logging rules in Qt's syntax, one a line: "<category>[.<level>] = true|false",
// where the category may begin and/or end with '*' and the level is debug,
// info, warning or critical. Lines of another form are ignored. Of the rules
// that name a category and level, the last one decides.
class LoggingRules
{
public:
    explicit LoggingRules(const QString &text = QString());

    // Sets each level of the category that a rule names; leaves the others.
    void applyTo(QLoggingCategory *category) const;

    // Makes these rules the ones in force for every category of the process.
    // Qt 5 applies the QT_LOGGING_RULES it read at start-up after the rules
    // given to QLoggingCategory::setFilterRules, so a category filter chained
    // after Qt's own applies these last. Call it before setFilterRules, which
    // then lets every category be filtered again.
    static void enforce(const QString &text);

private:
    struct Rule
    {
        enum class Match { Exact, Prefix, Suffix, Contains };
        QString pattern;
        Match match = Match::Exact;
        int level = -1; // a QtMsgType, or -1 for every level
        bool enabled = false;

        bool names(const QString &category, int level) const;
    };

    // The rule on a trimmed line, if the line is one.
    static std::optional<Rule> parseRule(const QString &line);

    QVector<Rule> m_rules;
};

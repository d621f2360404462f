// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include "link_table.h"
#include "plan.h"
#include "planned_tree.h"
#include "run_apps.h"

#include <QByteArray>
#include <QHash>
#include <QList>

enum class RunMode {
    Apply,  // the steps are made
    DryRun, // the steps are only planned
};

// One run of the linker: the link table for this machine, the applications,
// and the steps planned so far, which each part of the run plans against the
// file system as the earlier steps leave it. A part plans its steps, then
// makes them; in a dry run they stay planned.
class RunState
{
public:
    RunState(RunMode mode, const QByteArray &triplet);

    RunMode mode() const { return m_mode; }
    const QList<LinkRow> &table() const { return m_table; }
    RunApps &apps() { return m_apps; }
    const RunApps &apps() const { return m_apps; }
    const PlannedTree &tree() const { return m_tree; }
    // Every step planned so far, in order.
    const Plan &plan() const { return m_plan; }

    void plan(const Step &step);
    // Makes the steps planned since the last call, in order (none in a dry
    // run), and returns those that failed. A step below a directory that
    // could not be made fails without being tried.
    QList<Step> makePlanned();

    // Whether the linker may write in dir (see isTrustedTarget), judged once
    // a run; never where a planned link leads.
    bool isTrusted(const QByteArray &dir);

private:
    RunMode m_mode;
    QList<LinkRow> m_table;
    RunApps m_apps;
    PlannedTree m_tree;
    Plan m_plan;
    qsizetype m_made = 0;
    QHash<QByteArray, bool> m_trusted;
};

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "run_state.h"

#include "apply_step.h"
#include "fs_path.h"
#include "trusted_target.h"

#include <algorithm>

RunState::RunState(RunMode mode, const QByteArray &triplet)
    : m_mode(mode)
    , m_table(linkTable(triplet))
{}

void RunState::plan(const Step &step)
{
    m_plan.append(step);
    m_tree.record(step);
}

QList<Step> RunState::makePlanned()
{
    QList<Step> failed;
    if (m_mode == RunMode::Apply) {
        QList<QByteArray> missingDirs;
        for (qsizetype i = m_made; i < m_plan.size(); ++i) {
            const Step &step = m_plan.at(i);
            const bool below =
                std::any_of(missingDirs.begin(), missingDirs.end(),
                            [&](const QByteArray &dir) { return isAtOrBelow(step.path, dir); });
            if (!below && applyStep(step))
                continue;
            failed.append(step);
            // What lies below stays where it is: never written through a link.
            if (step.kind == Step::Kind::MakeDir || step.kind == Step::Kind::Unfold)
                missingDirs.append(step.path);
        }
        // The file system holds what was made now.
        m_tree.clear();
    }
    m_made = m_plan.size();
    return failed;
}

bool RunState::isTrusted(const QByteArray &dir)
{
    if (m_tree.isAtOrBelowPlannedLink(dir))
        return false;
    const auto found = m_trusted.constFind(dir);
    if (found != m_trusted.constEnd())
        return *found;
    const bool trusted = isTrustedTarget(dir);
    m_trusted.insert(dir, trusted);
    return trusted;
}

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "plan.h"

namespace {

void addLine(QByteArray &out, const QByteArray &path, const QByteArray &target)
{
    out += "add " + path + " -> " + target + '\n';
}

} // namespace

QByteArray describePlan(const Plan &plan)
{
    QByteArray out;
    for (const Step &step : plan) {
        switch (step.kind) {
        case Step::Kind::Add:
            addLine(out, step.path, step.target);
            break;
        case Step::Kind::Replace:
            out += "replace " + step.path + " -> " + step.target + " (was " + step.was + ")\n";
            break;
        case Step::Kind::Remove:
            out += "remove " + step.path + '\n';
            break;
        case Step::Kind::MakeDir:
            out += "mkdir " + step.path + '\n';
            break;
        case Step::Kind::Unfold:
            out += "unfold " + step.path + '\n';
            for (const PlannedLink &link : step.inside)
                addLine(out, link.path, link.target);
            break;
        }
    }
    return out;
}

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include "link_table.h"
#include "run_apps.h"
#include "run_state.h"

#include <QJsonObject>
#include <QList>

// The info objects of the applications installed under /opt/apps, in the
// case-insensitive order of their directory names.
QList<QJsonObject> enumAppInfoList();

// The applications of a run over these infos, each with the rows of the link
// table that apply to it.
RunApps runApps(const QList<QJsonObject> &infos, const QList<LinkRow> &table);

// Links the entries of one application, the current one of the run, into the
// system directories.
void linkAppEntries(const RunApp &app, RunState &run);

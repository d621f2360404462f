// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include "run_apps.h"

#include <QJsonObject>
#include <QList>
#include <QString>

// The info objects of the applications installed under /opt/apps, in the
// case-insensitive order of their directory names.
QList<QJsonObject> enumAppInfoList();

// The run over these applications, none of them being linked yet.
RunApps runApps(const QList<QJsonObject> &infos);

// Links the entries of one application, the current one of run, into the
// system directories.
void linkAppEntries(const QJsonObject &info, const RunApps &run);


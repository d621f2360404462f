// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QByteArray>
#include <QList>

// Where the applications are installed, one directory each.
inline constexpr char kAppsRoot[] = "/opt/apps";

// When a row of the link table applies to an application.
enum class RowCondition {
    Always,
    Autostart, // the info's "permissions" -> "autostart" is true
    Plugins,   // the application's entries hold a "plugins" directory
};

// What becomes of a directory directly below a row's target directory that
// the system lacks.
enum class Subdirs {
    Folded, // one link to the application's directory
    // A real directory with the entries linked inside: the cache commands
    // write into these directories, which must never lead into an
    // application's tree.
    Real,
};

// One row of the link table, with its target directory for this machine.
struct LinkRow
{
    QByteArray source; // below the application's entries directory
    QByteArray target; // absolute and normalised
    RowCondition condition;
    Subdirs subdirs;
};

// Every row, in the order the linking goes through them, the fcitx plug-in
// directory named after the multiarch triplet (an empty triplet gives
// /usr/lib/fcitx). Linking, cleanup and the list of a run's applications all
// read it.
QList<LinkRow> linkTable(const QByteArray &triplet);

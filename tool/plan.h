// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <QByteArray>
#include <QList>

// A symbolic link a step makes: its path and its content.
struct PlannedLink
{
    QByteArray path;
    QByteArray target;
};

// One change a run makes to the file system. A run first plans its changes
// as steps, then makes them one by one, checking before each that the file
// system still holds what the step was planned against; a dry run prints
// them instead.
struct Step
{
    enum class Kind {
        Add,     // a link at path, where nothing is
        Replace, // the link at path, whose content is was, made to point at target
        Remove,  // a dangling link, or a temporary an interrupted run left
        MakeDir, // a directory, mode 0755
        Unfold,  // the link at path (content was) replaced with a directory holding inside
    };

    Kind kind = Kind::Add;
    QByteArray path;
    QByteArray target;
    QByteArray was;
    // The application's entry the step shows (the link's content for Add and
    // Replace), named when the step fails; empty for cleanup and for the
    // directories above a target directory.
    QByteArray entry;
    QList<PlannedLink> inside;
};

using Plan = QList<Step>;

// The lines that tell the steps, in their order: "add PATH -> TARGET",
// "replace PATH -> TARGET (was OLD)", "remove PATH", "mkdir DIR" and
// "unfold DIR" followed by an "add" line for each link inside. Paths are
// given as their bytes.
QByteArray describePlan(const Plan &plan);

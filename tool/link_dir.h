// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include "link_table.h"
#include "run_state.h"

#include <QByteArray>

// Mirrors the tree below source into target by absolute symbolic links: one
// link for each file or directory the target lacks, descending only where the
// target has a real directory of its own. With Subdirs::Real, a directory
// directly below target is never a link: the run makes it, or unfolds a link
// found there, and links the entries inside; an entry there that is itself a
// link to a directory is not linked.
//
// Where two applications of the run ship the same path, the one enumerated
// later wins, and a link it placed is left as it is. Where both ship a
// directory the target lacks, the other's directory link is unfolded into a
// real directory so that the entries of both are linked inside it.
//
// Plans its steps in run, then makes them (unless the run is dry), logging
// each link that could not be made.
void linkDir(const QByteArray &source, const QByteArray &target, Subdirs subdirs, RunState &run);

// Unfolds each link directly below target that leads to a directory in an
// application's tree, whichever application placed it (one no longer in the
// run, say, whose info broke), into a real directory with the entries linked
// inside. For the directories the cache commands write into: through such a
// link they would write into the application's tree.
void unfoldLinksIntoApplications(const QByteArray &target, RunState &run);

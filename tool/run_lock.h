// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

// Makes runs of the linker take turns: holds an exclusive lock on
// /run/lock/app-entries-linker.lock for as long as it lives, waiting first for
// the run that holds it. Where the lock cannot be had, the run goes on
// unguarded after saying so.
class RunLock
{
public:
    RunLock();
    ~RunLock();
    RunLock(const RunLock &) = delete;
    RunLock &operator=(const RunLock &) = delete;

private:
    int m_fd = -1;
};

// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#pragma once

#include <functional>
#include <utility>

#include <malloc.h>

// Runs its action when it goes out of scope.
class Guard
{
public:
    explicit Guard(std::function<void()> action)
        : m_action(std::move(action))
    {}
    ~Guard() { m_action(); }
    Guard(const Guard &) = delete;
    Guard &operator=(const Guard &) = delete;

private:
    std::function<void()> m_action;
};

// What the bridge's slots arm a Guard with once past their early returns: the
// heap memory their work freed goes back to the system.
inline void trimHeap()
{
    malloc_trim(0);
}

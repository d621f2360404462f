#pragma once

#include <functional>
#include <utility>

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

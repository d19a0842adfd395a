#pragma once
// Work undone however a scope ends, so a throw never leaves a state half set.
#include <utility>

namespace platform {

// Holds a view's update open for a scope: BeginUpdate now, EndUpdate at the end, so a
// throw never leaves the view frozen.
template <typename T>
class TUpdateScope {
public:
    explicit TUpdateScope(T& target) : FTarget(target) { FTarget.BeginUpdate(); }
    ~TUpdateScope() { FTarget.EndUpdate(); }
    TUpdateScope(const TUpdateScope&) = delete;
    TUpdateScope& operator=(const TUpdateScope&) = delete;

private:
    T& FTarget;
};

// Runs its action when the scope ends.
template <typename TAction>
class TScopeExit {
public:
    explicit TScopeExit(TAction action) : FAction(std::move(action)) {}
    ~TScopeExit() { FAction(); }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;

private:
    TAction FAction;
};

}  // namespace platform

#pragma once
// Holds a view's update open for a scope: BeginUpdate now, EndUpdate however the scope
// ends, so a throw never leaves the view frozen.
namespace platform {

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

}  // namespace platform

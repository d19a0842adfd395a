#pragma once
// Installs a process-wide service (waiter, prompts, link settings) for one scope and puts
// the previous one back at its end, so tests and nested users never leak theirs.

namespace platform {

template <class TService, TService* (*Install)(TService*)>
class TServiceScope {
public:
    explicit TServiceScope(TService& service) : previous_(Install(&service)) {}
    ~TServiceScope() { Install(previous_); }
    TServiceScope(const TServiceScope&) = delete;
    TServiceScope& operator=(const TServiceScope&) = delete;

private:
    TService* previous_;
};

}  // namespace platform

#pragma once
// A process-wide service (waiter, prompts, link settings, clock, format settings): the
// one installed, else the default one. Scopes install one and put the previous back;
// they must end in reverse order, or a later scope would restore a dead service.
#include <cassert>

namespace platform {

// TDefault::Get() gives the service used while none is installed.
template <class TService, class TDefault>
class TProcessService {
public:
    static TService& Current() { return FInstalled ? *FInstalled : TDefault::Get(); }
    // Returns the previous one (nullptr for the default).
    static TService* Set(TService* service) {
        TService* previous = FInstalled;
        FInstalled = service;
        return previous;
    }

    class TScope {
    public:
        explicit TScope(TService& service)
            : FPrevious(Set(&service)), FService(&service), FDepth(++FOpenScopes) {}
        ~TScope() {
            assert(FDepth == FOpenScopes && FInstalled == FService && "service scopes end in reverse order");
            --FOpenScopes;
            Set(FPrevious);
        }
        TScope(const TScope&) = delete;
        TScope& operator=(const TScope&) = delete;

    private:
        TService* FPrevious;
        TService* FService;
        int FDepth;
    };

private:
    static inline TService* FInstalled = nullptr;
    static inline int FOpenScopes = 0;
};

}  // namespace platform

#pragma once
// The help system: a context number, the contents, and quitting at exit. The program's
// help file name is empty, so its help shows nothing and keeps nothing; the recording
// one lets tests see the requests.
#include <vector>

#include "platform/ServiceScope.h"

namespace platform {

class IHelp {
public:
    virtual ~IHelp() = default;
    virtual void Context(int context) = 0;
    virtual void Contents() = 0;
    virtual void Quit() = 0;
};

// The program's help: without a help file every request does nothing.
class TNullHelp : public IHelp {
public:
    void Context(int) override {}
    void Contents() override {}
    void Quit() override {}
};

class TRecordingHelp : public IHelp {
public:
    enum class TKind { Context, Contents, Quit };
    struct TRequest {
        TKind Kind;
        int Context = 0;  // of a Context request
        bool operator==(const TRequest&) const = default;
    };
    void Context(int context) override;
    void Contents() override;
    void Quit() override;

    std::vector<TRequest> Requests;
};

// Without one set, the null help.
struct TDefaultHelp {
    static IHelp& Get();
};
using THelpService = TProcessService<IHelp, TDefaultHelp>;
using THelpScope = THelpService::TScope;
inline IHelp& Help() {
    return THelpService::Current();
}

}  // namespace platform

#include "platform/Help.h"

namespace platform {

void TRecordingHelp::Context(int context) {
    Requests.push_back({TKind::Context, context});
}

void TRecordingHelp::Contents() {
    Requests.push_back({TKind::Contents});
}

void TRecordingHelp::Quit() {
    Requests.push_back({TKind::Quit});
}

IHelp& TDefaultHelp::Get() {
    static TNullHelp help;
    return help;
}

}  // namespace platform

#include "platform/PrintJob.h"

#include <utility>

#include "platform/Exception.h"
#include "platform/Prompts.h"

namespace platform {

namespace {

const char* const kNotPrinted = " could not be printed: ";

void TellHeld(const std::string& text) {
    Prompts().MessageDlg(text, TMsgDlgType::Information, mbOK);
}

class TEachHeldJob : public IHeldJobs {
public:
    void Held(const std::string& what, const std::string& where) override {
        TellHeld(HeldJobsText({what}, where));
    }
};

}  // namespace

TPrintJob::TPrintJob(IPrintTarget& printer, std::string what, const std::string& title)
    : FPrinter(printer), FWhat(std::move(what)) {
    if (FPrinter.Printing()) return;
    if (!FPrinter.BeginJob(title)) throw EInOutError(FWhat + kNotPrinted + FPrinter.LastError(), 0);
    FBegan = true;
}

TPrintJob::~TPrintJob() {
    if (FBegan && FPrinter.Printing()) FPrinter.Abort();
}

void TPrintJob::End() {
    if (!FBegan || !FPrinter.Printing()) return;
    FBegan = false;
    if (!FPrinter.EndJob()) throw EInOutError(FWhat + kNotPrinted + FPrinter.LastError(), 0);
    const std::string where = FPrinter.LastJobHeld();
    if (!where.empty()) THeldJobsService::Current().Held(FWhat, where);
}

IHeldJobs& TTellEachHeldJob::Get() {
    static TEachHeldJob each;
    return each;
}

std::string HeldJobsText(const std::vector<std::string>& whats, const std::string& where) {
    if (whats.size() == 1)
        return whats[0] + " was sent to " + where + ": it prints when the queue is started again";
    return std::to_string(whats.size()) + " print jobs were sent to " + where +
           ": they print when the queue is started again";
}

void TPrintCommand::Held(const std::string& what, const std::string& where) {
    FHeld.push_back(what);
    FWhere = where;
}

std::string TPrintCommand::HeldText() const {
    return FHeld.empty() ? std::string() : HeldJobsText(FHeld, FWhere);
}

void TPrintCommand::Finish() {
    const std::string text = HeldText();
    FHeld.clear();
    if (!text.empty()) TellHeld(text);
}

}  // namespace platform

#pragma once
// One part of a print (a listing, a chart, a settings grid) is one job, and every way it
// fails is told once, with what was not printed and why. The parts of one print command
// that a stopped queue holds are told together, in one box as the command ends.
#include <string>
#include <vector>

#include "platform/PrintTarget.h"
#include "platform/ServiceScope.h"

namespace platform {

// The job of one part. It begins on the printer unless a job runs already (the part then
// goes on that job, which is left open for whoever began it); one begun here and not
// ended when the scope ends is dropped, so a part cut short is never sent on in part.
class TPrintJob {
public:
    // what names the part in messages ("The listing"). A job that cannot begin raises
    // EInOutError: what + " could not be printed: " + the printer's reason.
    TPrintJob(IPrintTarget& printer, std::string what, const std::string& title);
    ~TPrintJob();
    TPrintJob(const TPrintJob&) = delete;
    TPrintJob& operator=(const TPrintJob&) = delete;

    // Ends a job begun here; nothing when the user aborted it. A job that did not get out
    // raises EInOutError as above; one that a stopped queue holds is told to the running
    // print command (see THeldJobs).
    void End();

private:
    IPrintTarget& FPrinter;
    std::string FWhat;
    bool FBegan = false;
};

// Where the parts that a stopped queue holds are told: without a print command, each in
// a box of its own as its job ends.
class IHeldJobs {
public:
    virtual ~IHeldJobs() = default;
    // The part what went out and waits in where ("the queue Q, which is stopped (...)").
    virtual void Held(const std::string& what, const std::string& where) = 0;
};

struct TTellEachHeldJob {
    static IHeldJobs& Get();
};
using THeldJobsService = TProcessService<IHeldJobs, TTellEachHeldJob>;

// The text for the parts held in where: the part's own when there is one, else their
// number.
std::string HeldJobsText(const std::vector<std::string>& whats, const std::string& where);

// One print command: while it runs, the parts it prints that a stopped queue holds are
// gathered, and Finish tells them in one box.
class TPrintCommand : public IHeldJobs {
public:
    TPrintCommand() = default;
    void Held(const std::string& what, const std::string& where) override;
    // The held parts in words; empty when none was held.
    std::string HeldText() const;
    // Tells the held parts in one Information box; nothing when none was held.
    void Finish();

private:
    std::vector<std::string> FHeld;
    std::string FWhere;  // the last held part's: the queue's latest state
    THeldJobsService::TScope FScope{*this};
};

}  // namespace platform

#pragma once
// A print queue of the test's own: a cupsd in the foreground with its configuration,
// spool, logs and socket in a scratch folder, one cups-pdf queue as its default printer,
// and this process's CUPS clients (Qt's print support among them) pointed at it.
//
// cups-pdf reads its settings from /etc/cups only, so cupsd runs in a mount namespace of
// its own in which a scratch cups-pdf.conf lies over the system's: the PDFs land in the
// scratch folder and nothing outside it changes. That and the backend itself (mode 0700,
// run as root only) need root; where the queue cannot be had, Unavailable() says why.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/PeerProcess.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

namespace platform_test {

class TCupsPdfQueue {
public:
    static constexpr const char* kName = "halvo-pdf";

    TCupsPdfQueue() {
        FUnavailable = Start();
        if (FUnavailable.empty()) AddQueue();
    }
    ~TCupsPdfQueue() {
        FCupsd.reset();
        for (const auto& [name, value] : FSavedEnvironment) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }
    TCupsPdfQueue(const TCupsPdfQueue&) = delete;
    TCupsPdfQueue& operator=(const TCupsPdfQueue&) = delete;

    // Empty when the queue is this process's default printer; else why it is not.
    const std::string& Unavailable() const { return FUnavailable; }
    // Set when the scheduler runs but refused the queue: a fault to report, not a reason
    // to skip.
    const std::string& SetupFailure() const { return FSetupFailure; }
    // Where cups-pdf writes: one "<title>-job_<n>.pdf" a job.
    std::string OutputFolder() const { return FDir.File("out"); }
    // This process's temporary folder while the queue lives.
    std::string TempFolder() const { return FDir.File("tmp"); }
    // Waits for the queue to empty, then removes what it wrote.
    void Clear(std::chrono::seconds limit) const {
        WaitForPdfs(0, limit);
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(OutputFolder(), ec))
            std::filesystem::remove(e.path(), ec);
    }

    // Waits until no job is left in the queue and at least count PDFs lie in the output
    // folder, or the limit runs out; the PDFs in the order of their jobs.
    std::vector<std::string> WaitForPdfs(size_t count, std::chrono::seconds limit) const {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        std::vector<std::string> pdfs;
        for (;;) {
            pdfs = Pdfs();
            const bool idle = RunProgram({kLpstat, "-o", kName}).Output.empty();
            if ((idle && pdfs.size() >= count) || std::chrono::steady_clock::now() >= deadline) return pdfs;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    }
    // The jobs waiting in the queue, one a line, as lpstat lists them.
    std::string PendingJobs() const { return RunProgram({kLpstat, "-o", kName}).Output; }
    // The jobs the queue has finished, as lpstat lists them.
    std::string CompletedJobs() const { return RunProgram({kLpstat, "-W", "completed", "-o", kName}).Output; }
    // The scheduler's and cups-pdf's logs, for a failure message.
    std::string Logs() const {
        return Read("log/error_log") + Read("log/cups-pdf-" + std::string(kName) + "_log");
    }

    // Adds the queue as the default printer: at the start, and again after a test
    // deleted it. SetupFailure() says when it could not.
    void AddQueue() {
        const TProgramResult add = RunProgram({kLpadmin, "-p", kName, "-E", "-v", "cups-pdf:/", "-m", kModel,
                                               "-o", "PageSize=A4", "-o", "printer-is-shared=false",
                                               // as Debian's own PDF queue: the text stays text
                                               "-o", "pdftops-renderer-default=pdftocairo"});
        const TProgramResult makeDefault = RunProgram({kLpadmin, "-d", kName});
        if (add.ExitCode != 0 || makeDefault.ExitCode != 0)
            FSetupFailure = "lpadmin failed: " + add.Errors + makeDefault.Errors + Logs();
    }

private:
    static constexpr const char* kCupsd = "/usr/sbin/cupsd";
    static constexpr const char* kLpadmin = "/usr/sbin/lpadmin";
    static constexpr const char* kLpstat = "/usr/bin/lpstat";
    static constexpr const char* kBackend = "/usr/lib/cups/backend/cups-pdf";
    static constexpr const char* kPdfConf = "/etc/cups/cups-pdf.conf";
    static constexpr const char* kModel = "lsb/usr/cups-pdf/CUPS-PDF_opt.ppd";

    std::string Start() {
        if (::geteuid() != 0) return "the cups-pdf backend runs as root only, and this test does not";
        for (const char* path : {kCupsd, kLpadmin, kLpstat, kBackend, kPdfConf})
            if (!std::filesystem::exists(path))
                return std::string(path) +
                       " is missing: scripts/install-deps installs cups and "
                       "printer-driver-cups-pdf";
        const std::string dir = FDir.Path();
        // The filters run as lp and read the spool inside.
        std::filesystem::permissions(dir,
                                     std::filesystem::perms::others_exec | std::filesystem::perms::group_exec,
                                     std::filesystem::perm_options::add);
        for (const char* sub :
             {"etc", "spool/tmp", "cache", "state", "log", "out", "cups-pdf", "tmp", "home"})
            std::filesystem::create_directories(FDir.File(sub));
        const std::string socket = FDir.File("cupsd.sock");
        FDir.Write("etc/cups-files.conf",
                   "ServerRoot " + dir + "/etc\nRequestRoot " + dir + "/spool\nTempDir " + dir +
                       "/spool/tmp\nCacheDir " + dir + "/cache\nStateDir " + dir + "/state\nAccessLog " +
                       dir + "/log/access_log\nErrorLog " + dir + "/log/error_log\nPageLog " + dir +
                       "/log/page_log\nPrintcap " + dir + "/state/printcap\nServerKeychain " + dir +
                       "/etc/ssl\nUser lp\nGroup lp\nSystemGroup root\n");
        // Nothing but the socket, no authentication; a job the backend fails ends, so
        // the queue never stops.
        FDir.Write("etc/cupsd.conf",
                   "Listen " + socket +
                       "\nLogLevel info\nBrowsing No\nWebInterface No\nErrorPolicy abort-job\n"
                       "DefaultAuthType None\n<Location />\n  Order allow,deny\n  Allow all\n"
                       "</Location>\n<Policy default>\n  <Limit All>\n    Order deny,allow\n"
                       "  </Limit>\n</Policy>\n");
        // Every job labelled with its number, named after the title it was given.
        FDir.Write("etc/cups-pdf.conf", "Out " + dir + "/out\nAnonDirName " + dir + "/out\nSpool " + dir +
                                            "/cups-pdf\nGSTmp " + dir + "/cups-pdf\nLog " + dir +
                                            "/log\nLabel 2\nTitlePref 1\n");
        FDir.Write("log/start_log", "");
        const std::string script = "exec 2>>\"$1/log/start_log\"; mount --bind \"$1/etc/cups-pdf.conf\" " +
                                   std::string(kPdfConf) + " && exec " + kCupsd +
                                   " -f -c \"$1/etc/cupsd.conf\" -s \"$1/etc/cups-files.conf\"";
        FCupsd = std::make_unique<peers::TPeerProcess>(std::vector<std::string>{
            "unshare", "--mount", "--propagation", "private", "--", "sh", "-c", script, "sh", dir});
        const bool listening = peers::WaitForPath(socket, *FCupsd, std::chrono::seconds(30));
        // This process's clients: the socket, the scratch client settings (no lpoptions
        // of the user's or the system's), no printer named by the environment.
        SetEnvironment("CUPS_SERVER", socket);
        SetEnvironment("CUPS_SERVERROOT", FDir.File("etc"));
        SetEnvironment("HOME", FDir.File("home"));
        SetEnvironment("TMPDIR", FDir.File("tmp"));
        SetEnvironment("PRINTER", std::nullopt);
        SetEnvironment("LPDEST", std::nullopt);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (listening && FCupsd->Running() && std::chrono::steady_clock::now() < deadline) {
            if (RunProgram({kLpstat, "-r"}).ExitCode == 0) return {};
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return "cupsd did not start in a mount namespace of its own (unshare --mount): " +
               Read("log/start_log") + Read("log/error_log");
    }

    void SetEnvironment(const std::string& name, const std::optional<std::string>& value) {
        if (!FSavedEnvironment.count(name)) {
            const char* old = ::getenv(name.c_str());
            FSavedEnvironment[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value)
            ::setenv(name.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name.c_str());
    }

    std::vector<std::string> Pdfs() const {
        std::vector<std::pair<long, std::string>> jobs;
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(OutputFolder(), ec)) {
            const std::string name = e.path().filename().string();
            const size_t at = name.rfind("-job_");
            if (at == std::string::npos || !name.ends_with(".pdf")) continue;
            jobs.emplace_back(std::strtol(name.c_str() + at + 5, nullptr, 10), e.path().string());
        }
        std::sort(jobs.begin(), jobs.end());
        std::vector<std::string> paths;
        for (const auto& job : jobs) paths.push_back(job.second);
        return paths;
    }

    std::string Read(const std::string& name) const {
        std::ifstream in(FDir.File(name), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    TTempDir FDir;
    std::unique_ptr<peers::TPeerProcess> FCupsd;
    std::map<std::string, std::optional<std::string>> FSavedEnvironment;
    std::string FUnavailable;
    std::string FSetupFailure;
};

}  // namespace platform_test

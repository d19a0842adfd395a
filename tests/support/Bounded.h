#pragma once
// Runs a call that might block for good in a child process with a deadline, so a hang
// fails the test at once instead of holding it until the test runner's time-out.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <optional>
#include <string>

namespace platform_test {

// The text `action` returns, carried back from the child; none when the child did not
// finish within `seconds` (it is killed then) or died.
inline std::optional<std::string> RunBounded(unsigned seconds, const std::function<std::string()>& action) {
    int out[2];
    if (::pipe(out) != 0) return std::nullopt;
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(out[0]);
        ::close(out[1]);
        return std::nullopt;
    }
    if (pid == 0) {
        ::close(out[0]);
        ::signal(SIGALRM, SIG_DFL);
        ::alarm(seconds);
        // An exception must not carry the child on into the rest of the test run.
        std::string text;
        try {
            text = action();
        } catch (...) {
            ::_exit(3);
        }
        std::size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::write(out[1], text.data() + done, text.size() - done);
            if (n <= 0) ::_exit(2);
            done += static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(out[1]);
    std::string text;
    char chunk[256];
    for (;;) {
        const ssize_t n = ::read(out[0], chunk, sizeof chunk);
        if (n > 0) {
            text.append(chunk, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    ::close(out[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return text;
}

}  // namespace platform_test

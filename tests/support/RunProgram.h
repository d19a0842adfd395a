#pragma once
// Runs a program to its end and collects what it prints: the tests' way to ask an
// independent tool (xmllint, python3, lpadmin, ...) about what the code wrote.
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace platform_test {

struct TProgramResult {
    int ExitCode = -1;
    std::string Output;  // stdout
    std::string Errors;  // stderr, for the failure message
};

inline TProgramResult RunProgram(std::vector<std::string> args) {
    TProgramResult result;
    int out[2], err[2];
    if (::pipe(out) != 0) return result;
    if (::pipe(err) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return result;
    }
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        for (int fd : {out[0], out[1], err[0], err[1]}) ::close(fd);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    // Both pipes at once, so a chatty stderr never blocks the program.
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.Output, &result.Errors};
    int open = 2;
    char buf[4096];
    while (open > 0 && ::poll(fds, 2, -1) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            const ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                sinks[i]->append(buf, static_cast<size_t>(n));
            } else {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        result.ExitCode = WEXITSTATUS(status);
    return result;
}

}  // namespace platform_test

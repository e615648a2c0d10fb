#include "bench/ChildProcess.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

extern char** environ;

namespace {

std::string NameOf(const std::string& entry)
{
    return entry.substr(0, entry.find('='));
}

double Seconds(const timeval& t)
{
    return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

std::vector<char*> Pointers(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (std::string& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

std::vector<std::string> ChildEnvironment(const std::vector<std::string>& changes)
{
    std::vector<std::string> result;
    for (char** e = environ; *e; ++e)
        result.emplace_back(*e);
    for (const std::string& change : changes) {
        const std::string name = NameOf(change);
        for (auto it = result.begin(); it != result.end();)
            it = NameOf(*it) == name ? result.erase(it) : it + 1;
        if (change.find('=') != std::string::npos)
            result.push_back(change);
    }
    return result;
}

long OwnPeakRssKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return 0;
}

std::string FindOnPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return "";
}

ChildRun RunChild(const std::vector<std::string>& command, const std::vector<std::string>& environment, bool quiet)
{
    ChildRun run;
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        run.failure = std::string("pipe: ") + std::strerror(errno);
        return run;
    }
    std::vector<std::string> arguments = command;
    std::vector<std::string> variables = ChildEnvironment(environment);
    std::vector<char*> argv = Pointers(arguments);
    std::vector<char*> envp = Pointers(variables);

    // fork, not posix_spawn: a child that shares our memory until its exec (vfork) inherits our whole peak
    // resident set as its own ru_maxrss, while a forked copy brings along only our anonymous pages at most.
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        if (quiet) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDERR_FILENO);
        }
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(out[1]);
    if (pid < 0) {
        close(out[0]);
        run.failure = std::string("fork: ") + std::strerror(errno);
        return run;
    }
    run.started = true;

    char buffer[4096];
    for (;;) {
        const ssize_t count = read(out[0], buffer, sizeof buffer);
        if (count > 0)
            run.output.append(buffer, std::size_t(count));
        else if (count == 0 || errno != EINTR)
            break;
    }
    close(out[0]);

    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    run.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.cpuSeconds = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    run.peakRssKiB = usage.ru_maxrss;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        run.succeeded = true;
    else if (WIFEXITED(status))
        run.failure = command[0] + " exited with status " + std::to_string(WEXITSTATUS(status));
    else if (WIFSIGNALED(status))
        run.failure = command[0] + " was ended by signal " + std::to_string(WTERMSIG(status));
    return run;
}

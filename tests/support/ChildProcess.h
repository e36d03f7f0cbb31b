#pragma once
#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Another process whose output the test reads line by line, each wait
// bounded. The child's standard output and error come through one pipe;
// its standard input is the test's to write. A child still running when the
// object goes is killed and reaped.
class ChildProcess {
public:
    // Runs a program; argv[0] is its path.
    static std::unique_ptr<ChildProcess> Run(const std::vector<std::string>& argv);
    // Runs `body` in a copy of this process, which exits with its result.
    // The body talks with Report and Await.
    static std::unique_ptr<ChildProcess> Fork(const std::function<int()>& body);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line the child printed, without its newline; false when none
    // came within `timeoutMs` or the child closed its output.
    bool ReadLine(std::string* line, int timeoutMs);
    // Reads until a line containing `text`; false after `timeoutMs`.
    bool WaitForLine(const std::string& text, int timeoutMs, std::string* line = nullptr);
    // Every line the child printed so far, for failure messages.
    std::string Transcript();
    void Tell(const std::string& line);
    void Signal(int signal);
    // The exit status, or -1 when the child is still running after
    // `timeoutMs` (it is then killed) or died of a signal.
    int Wait(int timeoutMs);
    pid_t Pid() const { return pid_; }

    // Inside a forked body: one line to the test, and the next line from it
    // (false once the test closed its side).
    static void Report(const std::string& line);
    static bool Await(std::string* line);

private:
    ChildProcess(pid_t pid, int output, int input) : pid_(pid), output_(output), input_(input) {}

    pid_t pid_;
    int output_;
    int input_;
    bool reaped_ = false;
    std::string pending_;
    std::vector<std::string> lines_;
};

#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Forks with the child's ends of the pipes in place and runs `start` in the
// child, which never comes back; *pid stays -1 when that fails.
void Start(const std::function<void()>& start, pid_t* pid, int* output, int* input) {
    int out[2];
    int in[2];
    if (pipe(out) != 0) return;
    if (pipe(in) != 0) {
        close(out[0]);
        close(out[1]);
        return;
    }
    std::fflush(nullptr);
    *pid = fork();
    if (*pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        dup2(out[1], STDERR_FILENO);
        dup2(in[0], STDIN_FILENO);
        close(out[0]);
        close(out[1]);
        close(in[0]);
        close(in[1]);
        start();
        _exit(127);
    }
    close(out[1]);
    close(in[0]);
    if (*pid < 0) {
        close(out[0]);
        close(in[1]);
        return;
    }
    fcntl(in[1], F_SETFD, FD_CLOEXEC);
    fcntl(out[0], F_SETFD, FD_CLOEXEC);
    *output = out[0];
    *input = in[1];
}

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::Run(const std::vector<std::string>& argv) {
    pid_t pid = -1;
    int output = -1;
    int input = -1;
    Start(
        [&] {
            std::vector<char*> args;
            for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
            args.push_back(nullptr);
            execv(args[0], args.data());
        },
        &pid, &output, &input);
    if (pid <= 0) return nullptr;
    return std::unique_ptr<ChildProcess>(new ChildProcess(pid, output, input));
}

std::unique_ptr<ChildProcess> ChildProcess::Fork(const std::function<int()>& body) {
    pid_t pid = -1;
    int output = -1;
    int input = -1;
    Start(
        [&] {
            const int status = body();
            std::fflush(nullptr);
            _exit(status);
        },
        &pid, &output, &input);
    if (pid <= 0) return nullptr;
    return std::unique_ptr<ChildProcess>(new ChildProcess(pid, output, input));
}

ChildProcess::~ChildProcess() {
    if (!reaped_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    close(output_);
    if (input_ >= 0) close(input_);
}

bool ChildProcess::ReadLine(std::string* line, int timeoutMs) {
    const int64_t deadline = NowMs() + timeoutMs;
    for (;;) {
        const size_t end = pending_.find('\n');
        if (end != std::string::npos) {
            *line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            lines_.push_back(*line);
            return true;
        }
        // Poll at least once even when the time is up: a zero timeout means
        // "what is already there", which a tick of the clock must not lose.
        const int64_t left = std::max<int64_t>(deadline - NowMs(), 0);
        pollfd wait{output_, POLLIN, 0};
        if (poll(&wait, 1, static_cast<int>(left)) <= 0) {
            if (NowMs() >= deadline) return false;
            continue;
        }
        char buffer[512];
        const ssize_t got = read(output_, buffer, sizeof buffer);
        if (got <= 0) return false;
        pending_.append(buffer, static_cast<size_t>(got));
    }
}

bool ChildProcess::WaitForLine(const std::string& text, int timeoutMs, std::string* line) {
    const int64_t deadline = NowMs() + timeoutMs;
    std::string read;
    for (;;) {
        const int64_t left = deadline - NowMs();
        if (left < 0 || !ReadLine(&read, static_cast<int>(left))) return false;
        if (read.find(text) == std::string::npos) continue;
        if (line != nullptr) *line = read;
        return true;
    }
}

std::string ChildProcess::Transcript() {
    std::string line;
    while (ReadLine(&line, 0)) {
    }
    std::string text;
    for (const std::string& line : lines_) text += line + "\n";
    return text;
}

void ChildProcess::Tell(const std::string& line) {
    const std::string text = line + "\n";
    if (input_ >= 0 && write(input_, text.data(), text.size()) < 0) std::perror("ChildProcess::Tell");
}

void ChildProcess::Signal(int signal) {
    if (!reaped_) kill(pid_, signal);
}

int ChildProcess::Wait(int timeoutMs) {
    const int64_t deadline = NowMs() + timeoutMs;
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) break;
        if (NowMs() >= deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            reaped_ = true;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    reaped_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void ChildProcess::Report(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

bool ChildProcess::Await(std::string* line) {
    char buffer[512];
    if (std::fgets(buffer, sizeof buffer, stdin) == nullptr) return false;
    *line = buffer;
    if (!line->empty() && line->back() == '\n') line->pop_back();
    return true;
}

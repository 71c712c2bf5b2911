#pragma once
// clinova-import run as a real process: its standard output read as it comes, signals sent to it, its end
// awaited with a limit (a process that hangs is killed and reported as such).

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace clinova::test {

inline std::string CliProgram() { return CLINOVA_BINARY_DIR "/src/cli/clinova-import"; }

class ChildProcess {
public:
    // The program with these arguments; with a prefix, the prefix's command runs it (strace ... clinova-import).
    explicit ChildProcess(const std::vector<std::string> &args, const std::vector<std::string> &prefix = {}) {
        int out[2];
        int err[2];
        if (::pipe(out) != 0 || ::pipe(err) != 0)
            return;
        // Everything the child needs is made before the fork: a threaded parent's child may only exec.
        std::vector<std::string> copies(prefix);
        copies.push_back(CliProgram());
        copies.insert(copies.end(), args.begin(), args.end());
        std::string program = copies.front();
        std::vector<char *> argv;
        for (auto &a : copies)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], 1);
            ::dup2(err[1], 2);
            const int null = ::open("/dev/null", O_RDONLY);
            ::dup2(null, 0);
            ::close(out[0]);
            ::close(err[0]);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        ::close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }
    ~ChildProcess() {
        if (pid_ > 0 && !ended_) {
            ::kill(pid_, SIGKILL);
            Wait(std::chrono::seconds(10));
        }
        for (int fd : {out_, err_})
            if (fd >= 0)
                ::close(fd);
    }
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // Reads the output (or the error output) until it holds text (true), the process closes it, or the time is
    // up (false).
    bool WaitForOutput(const std::string &text, std::chrono::milliseconds limit = std::chrono::seconds(120)) {
        return WaitFor(out_text_, text, limit);
    }
    bool WaitForError(const std::string &text, std::chrono::milliseconds limit = std::chrono::seconds(120)) {
        return WaitFor(err_text_, text, limit);
    }
    void Signal(int signal) { ::kill(pid_, signal); }

    // The exit status (or 128 + the signal that killed it); -1 when it had to be killed after the limit.
    int Wait(std::chrono::milliseconds limit = std::chrono::seconds(300)) {
        if (ended_)
            return status_;
        const auto until = std::chrono::steady_clock::now() + limit;
        while (ReadSome(until)) {
        }
        for (;;) {
            int status = 0;
            rusage usage{};
            const pid_t r = ::wait4(pid_, &status, WNOHANG, &usage);
            if (r == pid_) {
                ended_ = true;
                maxResidentKB_ = usage.ru_maxrss;
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                return status_;
            }
            if (std::chrono::steady_clock::now() > until) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &status, 0);
                ended_ = true;
                status_ = -1;
                return status_;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    const std::string &Out() const { return out_text_; }
    // The most memory the process held at once, once it has ended.
    long MaxResidentKB() const { return maxResidentKB_; }
    const std::string &Err() const { return err_text_; }

private:
    bool WaitFor(const std::string &read, const std::string &text, std::chrono::milliseconds limit) {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (read.find(text) == std::string::npos) {
            if (!ReadSome(until))
                return read.find(text) != std::string::npos;
        }
        return true;
    }

    // Takes what is there on either pipe; false once both are closed or the time is up.
    bool ReadSome(std::chrono::steady_clock::time_point until) {
        if (out_ < 0 && err_ < 0)
            return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
        if (::poll(fds, 2, static_cast<int>(std::min<long>(left.count(), 200))) < 0)
            return true;
        char buffer[65536];
        for (int i = 0; i < 2; ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            int &fd = i == 0 ? out_ : err_;
            const auto n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0) {
                ::close(fd);
                fd = -1;
            } else {
                (i == 0 ? out_text_ : err_text_).append(buffer, static_cast<std::size_t>(n));
            }
        }
        return true;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    bool ended_ = false;
    int status_ = -1;
    long maxResidentKB_ = 0;
    std::string out_text_;
    std::string err_text_;
};

} // namespace clinova::test

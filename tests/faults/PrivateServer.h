#pragma once
// A private Firebird server on 127.0.0.1 for the tests of the IPv4 mode, through the project's script.

#include "faults/FaultSupport.h"

#include "database/DatabaseError.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>
#include <thread>

namespace clinova::test {

// A private Firebird server on 127.0.0.1, through the project's script.
class PrivateServer {
public:
    explicit PrivateServer(const TempDir &dir) : folder_((dir.path() / "server").string()) {
        std::filesystem::create_directories(folder_);
    }
    ~PrivateServer() { Stop(); }
    PrivateServer(const PrivateServer &) = delete;
    PrivateServer &operator=(const PrivateServer &) = delete;

    // The script's exit status: 0 started, 77 no server installed.
    int Start() {
        const std::string command = Script() + " start " + folder_ + " 2>&1";
        std::FILE *out = ::popen(command.c_str(), "r");
        if (!out)
            return -1;
        std::string text;
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, out))
            text += buffer;
        const int status = ::pclose(out);
        const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (code == 0) {
            address_ = text.substr(0, text.find('\n'));
            running_ = true;
        } else {
            output_ = text;
        }
        return code;
    }
    // Sends the signal to the server's process (SIGSTOP freezes it, SIGCONT lets it go on).
    void Signal(int signal) const {
        std::ifstream pid(folder_ + "/server.pid");
        int number = 0;
        if (pid >> number && number > 0)
            ::kill(number, signal);
    }
    void Stop() {
        if (!running_)
            return;
        Signal(SIGCONT);
        running_ = false;
        std::system((Script() + " stop " + folder_).c_str());
    }
    // Stops the server and waits until the database can be opened without it: a server that is still
    // going away holds its file for a moment.
    void StopAndRelease(const std::string &path) {
        Stop();
        for (int attempt = 0; attempt < 100; ++attempt) {
            try {
                TargetDatabase db;
                db.Open(path);
                db.Close();
                return;
            } catch (const DatabaseError &) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        }
    }

    const std::string &Output() const { return output_; }
    // The database as the client names it: address, colon, path.
    std::string Database(const std::string &path) const { return address_ + ":" + path; }
    // As --server takes it: A.B.C.D/PORT.
    const std::string &Address() const { return address_; }
    // The window's address fields for this server ("127", "0", "0", "1/PORT").
    void Select(ImportOptions &o, const std::string &path) const {
        o.RadioButtonLocal = false;
        o.RadioButtonIP = true;
        const auto dot = address_.find_last_of('.');
        o.edIP1 = "127";
        o.edIP2 = "0";
        o.edIP3 = "0";
        o.edIP4 = address_.substr(dot + 1);
        o.edPathNameDatabase = path;
    }

private:
    static std::string Script() { return (SourceRoot() / "scripts" / "firebird-server.sh").string(); }

    std::string folder_;
    std::string address_;
    std::string output_;
    bool running_ = false;
};

// The server reads and writes the database and its folder as the firebird account.
inline void GiveToServer(const TempDir &dir) {
    std::system(("chmod -R a+rwX " + dir.path().string() + " && chown -R firebird:firebird " + dir.path().string() +
                 " 2>/dev/null")
                    .c_str());
}

// Starts the server over the folder, given to it; skips the test when no server is installed: the caller returns
// when IsSkipped() or HasFatalFailure().
inline void StartServing(PrivateServer &server, const TempDir &dir) {
    GiveToServer(dir);
    const int started = server.Start();
    if (started == 77)
        GTEST_SKIP() << "no Firebird server installed";
    ASSERT_EQ(started, 0) << server.Output();
    GiveToServer(dir);
}

// A fresh database, a copy of the sample practice and a private server started over them (Start(), as
// StartServing).
struct ServerCase {
    TempDir dir;
    std::string path = FreshDatabase(dir, "SERVER.FDB");
    std::string sources = CopyPractice(dir);
    PrivateServer server{dir};

    void Start() { StartServing(server, dir); }
};

} // namespace clinova::test

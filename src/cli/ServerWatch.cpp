#include "cli/ServerWatch.h"

#include "database/FbClient.h"

#include <chrono>
#include <ostream>

namespace clinova {

namespace {

// A call that waits this long: the server no longer answers.
constexpr double kSilentSeconds = 5;
// A signal cuts a call that has waited this long; a shorter one ends by itself and the run stops after its line.
constexpr double kCutSeconds = 2;

} // namespace

ServerWatch::ServerWatch(std::ostream &err) : err_(err), thread_([this] { Watch(); }) {}

ServerWatch::~ServerWatch() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void ServerWatch::Watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    double told = 0; // the last silence told, in whole steps of kSilentSeconds
    while (!wake_.wait_for(lock, std::chrono::milliseconds(200), [this] { return stop_; })) {
        const double waited = fb::SecondsInCurrentCall();
        if (waited < kSilentSeconds) {
            told = 0;
            continue;
        }
        const double step = static_cast<int>(waited / kSilentSeconds) * kSilentSeconds;
        if (step <= told)
            continue;
        told = step;
        // The program's thread waits on the server: nothing else writes meanwhile.
        err_ << "message: Le serveur ne répond plus depuis " << static_cast<int>(step)
             << " s ; Ctrl+C coupe la connexion (l'importation pourra être reprise)" << std::endl;
    }
}

void ServerWatch::OnSignal() {
    if (fb::SecondsInCurrentCall() >= kCutSeconds)
        fb::AbortCurrentCall();
}

} // namespace clinova

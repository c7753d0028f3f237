// The helper thread waits on a condition for a job, runs it and says so.
// It lives until the process ends: it is detached, and what it waits on is
// never freed, so nothing it uses is torn down under it at exit.
#include "sys/Worker.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

struct WorkerState {
    std::mutex lock;
    std::condition_variable changed;
    void (*job)(void*) = nullptr;
    void* argument = nullptr;
    bool busy = false;
};

WorkerState* worker = nullptr;

void RunWorker(WorkerState* state) {
    std::unique_lock<std::mutex> hold(state->lock);
    for (;;) {
        state->changed.wait(hold, [state] { return state->job != nullptr; });
        void (*job)(void*) = state->job;
        void* argument = state->argument;
        hold.unlock();
        job(argument);
        hold.lock();
        state->job = nullptr;
        state->busy = false;
        state->changed.notify_all();
    }
}

}  // namespace

void StartWorkerJob(void (*job)(void*), void* argument) {
    if (!worker) {
        worker = new WorkerState;
        std::thread(RunWorker, worker).detach();
    }
    std::lock_guard<std::mutex> hold(worker->lock);
    worker->job = job;
    worker->argument = argument;
    worker->busy = true;
    worker->changed.notify_all();
}

void WaitForWorkerJob() {
    if (!worker) return;
    std::unique_lock<std::mutex> hold(worker->lock);
    worker->changed.wait(hold, [] { return !worker->busy; });
}

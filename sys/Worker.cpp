// The helper thread waits on a condition for a job, runs it and says so.
// It lives until the process ends: it is detached, and what it waits on is
// never freed, so nothing it uses is torn down under it at exit. A system
// that refuses the thread (std::system_error) is remembered, and the caller
// does the whole job itself from then on.
#include "sys/Worker.h"

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

bool workerThreadRefused = false;

namespace {

struct WorkerState {
    std::mutex lock;
    std::condition_variable changed;
    void (*job)(void*) = nullptr;
    void* argument = nullptr;
    bool busy = false;
};

WorkerState* worker = nullptr;
// Whether the system refused the helper thread.
bool systemRefusedThread = false;

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

// Starts the helper thread; false when the system gives none.
bool StartWorkerThread() {
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
    // A page built without threads has none to give.
    systemRefusedThread = true;
#endif
    if (systemRefusedThread) return false;
    WorkerState* state = new WorkerState;
    try {
        std::thread(RunWorker, state).detach();
    } catch (const std::system_error&) {
        delete state;
        systemRefusedThread = true;
        return false;
    }
    worker = state;
    return true;
}

}  // namespace

bool StartWorkerJob(void (*job)(void*), void* argument) {
    if (workerThreadRefused || (!worker && !StartWorkerThread())) return false;
    std::lock_guard<std::mutex> hold(worker->lock);
    worker->job = job;
    worker->argument = argument;
    worker->busy = true;
    worker->changed.notify_all();
    return true;
}

void WaitForWorkerJob() {
    if (!worker) return;
    std::unique_lock<std::mutex> hold(worker->lock);
    worker->changed.wait(hold, [] { return !worker->busy; });
}

// One helper thread for work that splits in two: the caller hands it one
// half and does the other itself. Plain C++ threads, the same on every
// platform.
#pragma once

// While true, StartWorkerJob starts nothing and returns false, as where the
// system gives no thread. False unless set.
extern bool workerThreadRefused;

// Starts job(argument) on the helper thread, which is started on first use,
// and returns true at once. At most one job runs at a time: wait for it
// before starting the next. Returns false, having started nothing, when the
// system gives no thread; after one refusal it is not asked again, and every
// later call returns false at once.
bool StartWorkerJob(void (*job)(void*), void* argument);
// Called after StartWorkerJob: returns once the job has finished.
void WaitForWorkerJob();

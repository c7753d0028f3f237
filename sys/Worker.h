// One helper thread for work that splits in two: the caller hands it one
// half and does the other itself. Plain C++ threads, the same on every
// platform.
#pragma once

// Called to start job(argument) on the helper thread, which is started on
// first use; returns at once. At most one job runs at a time: wait for it
// before starting the next.
void StartWorkerJob(void (*job)(void*), void* argument);
// Called after StartWorkerJob: returns once the job has finished.
void WaitForWorkerJob();

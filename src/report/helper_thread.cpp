#include "helper_thread.h"

#include <condition_variable>
#include <mutex>
#include <thread>

// Never destroyed: the helper still waits on them while the process exits.
static std::mutex &helper_lock = *new std::mutex;
static std::condition_variable &helper_wake = *new std::condition_variable;  // task handed over
static std::condition_variable &helper_done = *new std::condition_variable;  // task finished
static void (*helper_task)() = nullptr;      // the task to run, null when idle

static void helper_main()
{
    std::unique_lock<std::mutex> hold(helper_lock);
    for (;;) {
        helper_wake.wait(hold, [] { return helper_task != nullptr; });
        void (*task)() = helper_task;
        hold.unlock();
        task();
        hold.lock();
        helper_task = nullptr;
        helper_done.notify_one();
    }
}

void start_helper()
{
    std::thread(helper_main).detach();
}

void helper_begin(void (*task)())
{
    std::lock_guard<std::mutex> hold(helper_lock);
    helper_task = task;
    helper_wake.notify_one();
}

void helper_wait()
{
    std::unique_lock<std::mutex> hold(helper_lock);
    helper_done.wait(hold, [] { return helper_task == nullptr; });
}

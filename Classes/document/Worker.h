#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

// A thread that runs jobs in order, for the parts of saving and loading that are plain data
// (parsing, encoding, writing files) so they overlap the main thread's work on items. One
// thread for a whole save or load: its memory stays warm from one pack to the next, and what it
// allocates it also frees, so the two threads do not contend for one heap.
class Worker {
public:
    Worker() : thread_([this] { run(); }) {}
    // Finishes the jobs already given, then stops.
    ~Worker() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    template <class Job> auto submit(Job&& job) {
        using Result = std::invoke_result_t<Job&>;
        auto task = std::make_shared<std::packaged_task<Result()>>(std::forward<Job>(job));
        std::future<Result> done = task->get_future();
        {
            std::lock_guard lock(mutex_);
            jobs_.emplace_back([task] { (*task)(); });
        }
        wake_.notify_one();
        return done;
    }

private:
    void run() {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
                if (jobs_.empty())
                    return;
                job = std::move(jobs_.front());
                jobs_.pop_front();
            }
            job();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    std::thread thread_; // last: starts once the rest is ready
};

// Waits for a job while the event loop keeps running: `pump` (when given) is called every few
// milliseconds until the result is there.
template <class T> void waitPumping(const std::future<T>& job, const std::function<void()>& pump) {
    while (pump && job.wait_for(std::chrono::milliseconds(2)) != std::future_status::ready)
        pump();
}

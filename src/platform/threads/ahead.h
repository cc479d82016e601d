// Items made on a thread of its own, a few ahead of the one who takes them: the taker works on one
// item while the next ones are made (pages laid out while others are drawn, employers read while
// others are written). What the maker throws reaches the taker after the items made before it.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace threads {

template <typename T> class Ahead {
public:
    // The maker's side.
    class Feed {
    public:
        // Hands item over once there is room for it, and leaves in item one the taker gave back,
        // or a new one. False when the taker wants no more: the maker returns then.
        bool put(T& item) { return ahead_.put(item); }

    private:
        friend class Ahead;
        explicit Feed(Ahead& ahead) : ahead_(ahead) {}
        Ahead& ahead_;
    };

    // Runs make on a thread of its own; at most limit items wait to be taken (0: no limit).
    Ahead(std::size_t limit, std::function<void(Feed&)> make)
        : limit_(limit), thread_([this, make = std::move(make)] { run(make); }) {}
    // Stops the maker and waits for its thread.
    ~Ahead() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    Ahead(const Ahead&) = delete;
    Ahead& operator=(const Ahead&) = delete;

    enum class Taken { Item, NotYet, End };
    // The next item: Item; End after the last; NotYet only when wait is false and none is made
    // yet. Throws what the maker threw.
    Taken take(T& item, bool wait = true) {
        std::unique_lock lock(mutex_);
        if (wait) changed_.wait(lock, [this] { return !made_.empty() || done_; });
        if (made_.empty()) {
            if (!done_) return Taken::NotYet;
            if (failure_) std::rethrow_exception(failure_);
            return Taken::End;
        }
        item = std::move(made_.front());
        made_.pop_front();
        changed_.notify_all();
        return Taken::Item;
    }
    // An item taken and done with, for the maker to fill again: what it holds is let go on the
    // making thread, and its room is not made again.
    void giveBack(T item) {
        std::lock_guard lock(mutex_);
        spare_.push_back(std::move(item));
    }

private:
    bool put(T& item) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return stop_ || limit_ == 0 || made_.size() < limit_; });
        if (stop_) return false;
        made_.push_back(std::move(item));
        if (spare_.empty()) {
            item = T();
        } else {
            item = std::move(spare_.back());
            spare_.pop_back();
        }
        changed_.notify_all();
        return true;
    }

    void run(const std::function<void(Feed&)>& make) {
        try {
            Feed feed(*this);
            make(feed);
        } catch (...) {
            std::lock_guard lock(mutex_);
            failure_ = std::current_exception();
        }
        std::lock_guard lock(mutex_);
        done_ = true;
        changed_.notify_all();
    }

    const std::size_t limit_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<T> made_;
    std::vector<T> spare_;
    bool done_ = false;
    bool stop_ = false;
    std::exception_ptr failure_;
    std::thread thread_; // last: the rest is ready before the maker starts
};

} // namespace threads

#include "platform/report/pages_ahead.h"

namespace report {

namespace {
// Pages laid out and not yet taken: enough to keep the drawing busy, few enough to hold little.
constexpr size_t kAhead = 16;
} // namespace

PagesAhead::PagesAhead(const Document& doc, Keep keep) : keep_(keep), thread_([this, &doc] { run(doc); }) {}

PagesAhead::~PagesAhead() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void PagesAhead::run(const Document& doc) {
    try {
        Paginator paginator(doc);
        for (;;) {
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock,
                              [this] { return stop_ || keep_ == Keep::Starts || laid_.size() < kAhead; });
                if (stop_) return;
            }
            Laid next{paginator.position(), Page()};
            const bool more = paginator.next(next.page);
            if (keep_ == Keep::Starts) next.page = Page();
            std::lock_guard lock(mutex_);
            if (more)
                laid_.push_back(std::move(next));
            else
                done_ = true;
            changed_.notify_all();
            if (!more) return;
        }
    } catch (...) {
        std::lock_guard lock(mutex_);
        failure_ = std::current_exception();
        done_ = true;
        changed_.notify_all();
    }
}

PagesAhead::Taken PagesAhead::take(Page& page, Paginator::Position* start, bool wait) {
    std::unique_lock lock(mutex_);
    if (wait) changed_.wait(lock, [this] { return !laid_.empty() || done_; });
    if (laid_.empty()) {
        if (!done_) return Taken::NotYet;
        if (failure_) std::rethrow_exception(failure_);
        return Taken::End;
    }
    page = std::move(laid_.front().page);
    if (start) *start = laid_.front().start;
    laid_.pop_front();
    changed_.notify_all();
    return Taken::Page;
}

} // namespace report

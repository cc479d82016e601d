// A document's pages laid out on a thread of their own, a few pages ahead of the one who takes
// them: the printer draws one page while the next ones are laid out, and a preview counts its pages
// while the window stays in use.
#pragma once

#include "platform/report/layout.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace report {

class Document;

class PagesAhead {
public:
    // Starts laying out doc, which must outlive this object. Counting only, the pages taken are
    // empty but for where they begin, and the layout runs ahead as far as it goes.
    enum class Keep { Pages, Starts };
    explicit PagesAhead(const Document& doc, Keep keep = Keep::Pages);
    // Stops the layout and waits for its thread.
    ~PagesAhead();
    PagesAhead(const PagesAhead&) = delete;
    PagesAhead& operator=(const PagesAhead&) = delete;

    enum class Taken { Page, NotYet, End };
    // The next page and where it begins. Page; End after the last one; NotYet only when wait is
    // false and the page is not laid out yet. Throws what the layout threw (a ReportError).
    Taken take(Page& page, Paginator::Position* start = nullptr, bool wait = true);

private:
    void run(const Document& doc);

    const Keep keep_;
    struct Laid {
        Paginator::Position start;
        Page page;
    };
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Laid> laid_;
    bool done_ = false;
    bool stop_ = false;
    std::exception_ptr failure_;
    std::thread thread_;
};

} // namespace report

// A document's pages laid out on a thread of their own, a few pages ahead of the one who takes
// them: the printer draws one page while the next ones are laid out, and a preview counts its pages
// while the window stays in use.
#pragma once

#include "platform/report/layout.h"
#include "platform/threads/ahead.h"

namespace report {

class Document;

class PagesAhead {
public:
    // Starts laying out doc, which must outlive this object; destroying it stops the layout and
    // waits for its thread. Counting only, the pages taken are empty but for where they begin, and
    // the layout runs ahead as far as it goes.
    enum class Keep { Pages, Starts };
    explicit PagesAhead(const Document& doc, Keep keep = Keep::Pages);

    enum class Taken { Page, NotYet, End };
    // The next page and where it begins. Page; End after the last one; NotYet only when wait is
    // false and the page is not laid out yet. Throws what the layout threw (a ReportError).
    Taken take(Page& page, Paginator::Position* start = nullptr, bool wait = true);

private:
    struct Laid {
        Paginator::Position start;
        Page page;
    };
    threads::Ahead<Laid> laid_;
};

} // namespace report

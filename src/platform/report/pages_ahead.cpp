#include "platform/report/pages_ahead.h"

namespace report {

namespace {
// Pages laid out and not yet taken: enough to keep the drawing busy, few enough to hold little.
constexpr size_t kAhead = 16;
} // namespace

PagesAhead::PagesAhead(const Document& doc, Keep keep)
    : laid_(keep == Keep::Starts ? 0 : kAhead, [&doc, keep](threads::Ahead<Laid>::Feed& feed) {
          Paginator paginator(doc);
          for (Laid next;;) {
              next.start = paginator.position();
              if (!paginator.next(next.page)) return;
              if (keep == Keep::Starts) next.page = Page();
              if (!feed.put(next)) return;
          }
      }) {}

PagesAhead::Taken PagesAhead::take(Page& page, Paginator::Position* start, bool wait) {
    Laid laid;
    switch (laid_.take(laid, wait)) {
    case threads::Ahead<Laid>::Taken::NotYet:
        return Taken::NotYet;
    case threads::Ahead<Laid>::Taken::End:
        return Taken::End;
    case threads::Ahead<Laid>::Taken::Item:
        break;
    }
    page = std::move(laid.page);
    if (start) *start = laid.start;
    return Taken::Page;
}

} // namespace report

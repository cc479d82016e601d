// Memory for SQLite's page caches in huge pages. A search that scans an index whole brings some
// 60 MB of pages into its connection's cache; taken from the C heap, each 4 KB of it costs a page
// fault on first touch, which made the first search after the program starts several times slower
// than the next. Here the page buffers come from one region the kernel may back with 2 MB pages,
// touched only as they are taken, so the first search pays a few hundred faults instead of tens of
// thousands. Every other allocation stays with the C heap.
#pragma once

namespace dao::detail {

// Hands SQLite the allocator; called once, before its first connection. A no-op when SQLite is
// already in use, under a memory checker, or when the region cannot be reserved (the C heap serves
// then).
void usePageMemory();

} // namespace dao::detail

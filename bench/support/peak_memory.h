// The resident-set high-water mark of the benchmark process.
#pragma once

namespace bench {

// The high-water mark of the resident set since the last reset, in MB; -1 when it cannot be read.
double peakMegabytes();
// Starts the high-water mark again from the present resident set.
void resetPeak();

} // namespace bench

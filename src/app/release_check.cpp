#include "app/release_check.h"

namespace velk {

// No loaders are installed in this build: the start-up always goes on to the list form.
bool runReleaseCheck(MASTER&) {
    return false;
}

} // namespace velk

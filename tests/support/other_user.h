// While one of these lives, this thread opens files as another user would. Run as root (who may
// write anything) it takes the file-system identity of "nobody"; run as anyone else the permission
// bits already apply to the test, so it changes nothing. Either way a file or folder without write
// access for its group and others cannot be written meanwhile.
#pragma once

#include <sys/fsuid.h>
#include <unistd.h>

namespace testsupport {

class FilesAsAnotherUser {
public:
    FilesAsAnotherUser() : root_(::geteuid() == 0) {
        if (!root_) return;
        ::setfsgid(kNobody);
        ::setfsuid(kNobody);
    }
    ~FilesAsAnotherUser() {
        if (!root_) return;
        ::setfsuid(0);
        ::setfsgid(0);
    }
    FilesAsAnotherUser(const FilesAsAnotherUser&) = delete;
    FilesAsAnotherUser& operator=(const FilesAsAnotherUser&) = delete;

private:
    static constexpr unsigned kNobody = 65534;
    bool root_;
};

} // namespace testsupport

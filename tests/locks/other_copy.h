// Another running copy of the program: a child process that takes something, tells the test what it
// got and holds it until the test ends the copy, or kills it (then only the kernel lets go).
#pragma once

#include <QByteArray>

#include <functional>

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace lockstest {

class OtherCopy {
public:
    // Runs in the child: takes what the copy holds, then calls hold with its answer; hold returns
    // when the test ends the copy, and what the body holds goes as it returns.
    using Hold = std::function<void(const QByteArray& answer)>;
    explicit OtherCopy(const std::function<void(const Hold&)>& body) {
        int ready[2], quit[2];
        EXPECT_EQ(::pipe(ready), 0);
        EXPECT_EQ(::pipe(quit), 0);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(quit[1]);
            body([&](const QByteArray& answer) {
                (void)!::write(ready[1], answer.constData(), size_t(answer.size()));
                ::close(ready[1]);
                char c;
                (void)!::read(quit[0], &c, 1);
            });
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(quit[0]);
        quit_ = quit[1];
        char buffer[4096];
        ssize_t n = 0;
        while ((n = ::read(ready[0], buffer, sizeof buffer)) > 0)
            answer.append(buffer, int(n));
        ::close(ready[0]);
    }
    ~OtherCopy() { end(); }
    OtherCopy(const OtherCopy&) = delete;
    OtherCopy& operator=(const OtherCopy&) = delete;

    void end() {
        if (pid_ <= 0) return;
        ::close(quit_);
        ::waitpid(pid_, nullptr, 0);
        pid_ = 0;
    }
    void die() {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        ::close(quit_);
        pid_ = 0;
    }

    QByteArray answer;

private:
    pid_t pid_ = 0;
    int quit_ = -1;
};

} // namespace lockstest

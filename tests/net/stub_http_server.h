// A small HTTP server on 127.0.0.1 for the download tests. It answers from its own thread, one
// connection at a time, from a table of paths; an unknown path gets 404 Not Found.
#pragma once

#include "support/temp_dir.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <arpa/inet.h>
#include <atomic>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace testsupport {

struct StubRoute {
    int status = 200;
    QByteArray reason = "OK";
    QByteArray body;
    qint64 announced = -1;     // Content-Length sent; -1 sends the body's length, more cuts the body short,
                               // -2 sends none (the body ends when the connection closes)
    QByteArray location;       // a Location header, for redirects
    bool stall = false;        // send the headers and half the body, then nothing

    static StubRoute ok(const QByteArray& body) {
        StubRoute r;
        r.body = body;
        return r;
    }
    static StubRoute error(int status, const QByteArray& reason) {
        StubRoute r;
        r.status = status;
        r.reason = reason;
        r.body = "<html>" + reason + "</html>";
        return r;
    }
    static StubRoute redirect(const QByteArray& location) {
        StubRoute r = error(302, "Found");
        r.location = location;
        return r;
    }
    // The connection closes after body although announced bytes were promised.
    static StubRoute cutShort(const QByteArray& body, qint64 announced) {
        StubRoute r = ok(body);
        r.announced = announced;
        return r;
    }
    static StubRoute stalled(const QByteArray& body) {
        StubRoute r = ok(body);
        r.stall = true;
        return r;
    }
};

class StubHttpServer {
public:
    StubHttpServer() {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const int yes = 1;
        ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 && ::listen(fd_, 16) == 0) {
            socklen_t len = sizeof addr;
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
            port_ = ntohs(addr.sin_port);
        }
        thread_ = std::thread([this] { serve(); });
    }
    ~StubHttpServer() {
        stopping_ = true;
        thread_.join();
        ::close(fd_);
    }
    StubHttpServer(const StubHttpServer&) = delete;
    StubHttpServer& operator=(const StubHttpServer&) = delete;

    bool listening() const { return port_ != 0; }
    void route(const QByteArray& path, const StubRoute& r) {
        std::lock_guard lock(mutex_);
        routes_[path] = r;
    }
    QString url(const QByteArray& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(port_).arg(QString::fromLatin1(path));
    }
    // The paths asked for so far, in order.
    QList<QByteArray> requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }

    // A local port on which nothing listens, for a refused connection.
    static quint16 closedPort() {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
        ::close(fd);
        return ntohs(addr.sin_port);
    }

private:
    // Waits up to ms for fd to be readable, giving up early when the server stops.
    bool readable(int fd, int ms) {
        for (int waited = 0; waited < ms && !stopping_; waited += 50) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 50) > 0) return true;
        }
        return false;
    }

    void sendAll(int fd, const QByteArray& data) {
        qsizetype sent = 0;
        while (sent < data.size()) {
            const ssize_t n = ::send(fd, data.constData() + sent, size_t(data.size() - sent), MSG_NOSIGNAL);
            if (n <= 0) return;
            sent += n;
        }
    }

    void serve() {
        while (!stopping_) {
            if (!readable(fd_, 200)) continue;
            const int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) continue;
            answer(client);
            ::close(client);
        }
    }

    void answer(int client) {
        QByteArray request;
        char buffer[4096];
        while (!request.contains("\r\n\r\n") && readable(client, 5000)) {
            const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
            if (n <= 0) return;
            request.append(buffer, n);
        }
        const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
        const QByteArray path = words.size() >= 2 ? words[1] : QByteArray();
        StubRoute r;
        {
            std::lock_guard lock(mutex_);
            requests_.append(path);
            if (routes_.contains(path))
                r = routes_.value(path);
            else
                r = StubRoute::error(404, "Not Found");
        }
        QByteArray head = "HTTP/1.1 " + QByteArray::number(r.status) + ' ' + r.reason + "\r\n";
        if (r.announced != -2)
            head += "Content-Length: " + QByteArray::number(r.announced >= 0 ? r.announced : r.body.size()) +
                    "\r\n";
        if (!r.location.isEmpty()) head += "Location: " + r.location + "\r\n";
        head += "Connection: close\r\n\r\n";
        sendAll(client, head);
        if (r.stall) {
            sendAll(client, r.body.left(r.body.size() / 2));
            readable(client, 30000); // until the client gives up or the server stops
            return;
        }
        sendAll(client, r.body);
    }

    int fd_ = -1;
    quint16 port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    QMap<QByteArray, StubRoute> routes_;
    QList<QByteArray> requests_;
};

// A temporary folder and a stub server, with nothing between the downloads and the server.
class StubServerTest : public TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        for (const char* name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
            qunsetenv(name);
        ASSERT_TRUE(server.listening());
    }

    StubHttpServer server;
};

} // namespace testsupport

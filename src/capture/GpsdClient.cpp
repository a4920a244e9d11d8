#include "capture/Sources.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace plotra::capture {

namespace {

constexpr int kConnectTimeoutMs = 3000;
constexpr std::size_t kMaxLine = 1 << 16;

/// Connects a non-blocking socket within the timeout; -1 when nothing answers.
int ConnectWithin(const addrinfo* ai, int timeoutMs) {
    const int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, ai->ai_protocol);
    if (fd < 0) return -1;
    if (::connect(fd, ai->ai_addr, ai->ai_addrlen) == 0) return fd;
    if (errno == EINPROGRESS) {
        pollfd p{fd, POLLOUT, 0};
        int soError = 0;
        socklen_t len = sizeof soError;
        if (::poll(&p, 1, timeoutMs) == 1 && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &len) == 0 &&
            soError == 0)
            return fd;
    }
    ::close(fd);
    return -1;
}

} // namespace

bool ParseHostPort(const std::string& text, std::string& host, int& port) {
    const auto colon = text.rfind(':');
    // A bare IPv6 address has colons of its own; it is written [addr]:port.
    if (colon == std::string::npos || (text.front() != '[' && text.find(':') != colon)) {
        host = text;
        port = 2947;
        return !host.empty();
    }
    host = text.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    const std::string p = text.substr(colon + 1);
    auto [end, ec] = std::from_chars(p.data(), p.data() + p.size(), port);
    return !host.empty() && ec == std::errc() && end == p.data() + p.size() && port > 0 && port < 65536;
}

std::unique_ptr<GpsdClient> GpsdClient::Connect(const std::string& host, int port, std::string* error) {
    const std::string where = host + ":" + std::to_string(port);
    const auto refuse = [&] {
        if (error) *error = "Cannot reach gpsd at " + where + ". Is gpsd running?";
        return nullptr;
    };
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list) != 0) return refuse();
    int fd = -1;
    for (const addrinfo* ai = list; ai && fd < 0; ai = ai->ai_next)
        fd = ConnectWithin(ai, kConnectTimeoutMs);
    ::freeaddrinfo(list);
    if (fd < 0) return refuse();
    auto client = std::unique_ptr<GpsdClient>(new GpsdClient());
    client->m_fd = fd;
    client->m_where = where;
    static const char kWatch[] = "?WATCH={\"enable\":true,\"json\":true};\n";
    if (::send(fd, kWatch, sizeof kWatch - 1, MSG_NOSIGNAL) != static_cast<ssize_t>(sizeof kWatch - 1))
        return refuse();
    return client;
}

GpsdClient::~GpsdClient() {
    if (m_fd >= 0) ::close(m_fd);
}

bool GpsdClient::Pump(int waitMs, const Sink& sink, std::int64_t timeNs, bool& reached) {
    pollfd p{m_fd, POLLIN, 0};
    if (::poll(&p, 1, waitMs) <= 0) return true;
    char chunk[4096];
    for (;;) {
        const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, 0);
        if (n == 0) return false;
        if (n < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        m_buffer.append(chunk, static_cast<std::size_t>(n));
        std::size_t start = 0;
        for (std::size_t nl; (nl = m_buffer.find('\n', start)) != std::string::npos; start = nl + 1) {
            if (auto r = ParseGpsLine(std::string_view(m_buffer).substr(start, nl - start))) {
                sink(*r);
                reached = reached || ReachesPast(*r, timeNs);
            }
        }
        m_buffer.erase(0, start);
        if (m_buffer.size() > kMaxLine) m_buffer.clear(); // not gpsd talking
    }
}

SourceResult GpsdClient::FeedUntil(std::int64_t timeNs, int waitMs, const Sink& sink, std::string* error) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(0, waitMs));
    bool reached = false;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (!Pump(static_cast<int>(std::clamp<long long>(left, 0, 200)), sink, timeNs, reached)) {
            if (error) *error = "gpsd at " + m_where + " closed the connection.";
            return SourceResult::Failed;
        }
        if (reached || Clock::now() >= deadline) return SourceResult::Ok;
    }
}

} // namespace plotra::capture

#include "scpi_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "scpi_instrument.h"
#include "scpi_parser.h"
#include "tools/logger.h"

namespace {

constexpr auto kSweepPollInterval = std::chrono::milliseconds(600);
constexpr int kStopCheckMs = 100;
constexpr int kSendTimeoutSeconds = 30;
constexpr const char* kSecondClientLine = "-200,\"Execution error;another client controls the instrument\"\n";

void Log(const std::string& text) {
    DebugLogger.Add("i", "ScpiServer", 255, text);
}

}  // namespace

bool IsLoopbackAddress(const std::string& address) {
    if (address == "localhost") return true;
    in_addr parsed{};
    return inet_pton(AF_INET, address.c_str(), &parsed) == 1 && (ntohl(parsed.s_addr) >> 24) == 127;
}

TScpiServer::TScpiServer(TScpiInstrument& instrument) : instrument_(instrument) {}

TScpiServer::~TScpiServer() {
    DropClient();
    if (listener_ >= 0) close(listener_);
}

bool TScpiServer::Listen(const std::string& address, int port, std::string& error) {
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(static_cast<std::uint16_t>(port));
    const std::string numeric = address == "localhost" ? "127.0.0.1" : address;
    if (port < 0 || port > 65535) {
        error = "port " + std::to_string(port) + " is not a TCP port";
        return false;
    }
    if (inet_pton(AF_INET, numeric.c_str(), &where.sin_addr) != 1) {
        error = "'" + address + "' is not an IPv4 address";
        return false;
    }
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0) {
        error = std::strerror(errno);
        return false;
    }
    const int yes = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (bind(listener_, reinterpret_cast<const sockaddr*>(&where), sizeof where) != 0 ||
        listen(listener_, 4) != 0) {
        error = address + ":" + std::to_string(port) + ": " + std::strerror(errno);
        close(listener_);
        listener_ = -1;
        return false;
    }
    socklen_t length = sizeof where;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&where), &length);
    port_ = ntohs(where.sin_port);
    Log("Listening on " + address + ":" + std::to_string(port_) +
        (IsLoopbackAddress(address) ? "" : " (not loopback: reachable from the network)"));
    return true;
}

void TScpiServer::Run(const std::atomic<bool>& stop) {
    auto nextPoll = std::chrono::steady_clock::now() + kSweepPollInterval;
    while (!stop.load()) {
        pollfd watched[2] = {{listener_, POLLIN, 0}, {client_, POLLIN, 0}};
        const int count = client_ >= 0 ? 2 : 1;
        int timeout = kStopCheckMs;
        if (instrument_.SweepRunning()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                nextPoll - std::chrono::steady_clock::now());
            timeout =
                static_cast<int>(std::max<long long>(0, std::min<long long>(left.count(), kStopCheckMs)));
        }
        const int ready = poll(watched, static_cast<nfds_t>(count), timeout);
        if (ready < 0 && errno != EINTR) break;
        if (ready > 0) {
            if (count == 2 && (watched[1].revents & (POLLIN | POLLHUP | POLLERR)) && !Serve()) DropClient();
            if (watched[0].revents & POLLIN) Accept();
        }
        const auto now = std::chrono::steady_clock::now();
        if (!instrument_.SweepRunning()) {
            nextPoll = now + kSweepPollInterval;
        } else if (now >= nextPoll) {
            instrument_.PollSweep();
            nextPoll = now + kSweepPollInterval;
        }
    }
}

void TScpiServer::Accept() {
    const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) return;
    if (client_ >= 0) {
        // A client that has just closed makes room first: its close came before this connection.
        pollfd first{client_, POLLIN, 0};
        while (client_ >= 0 && poll(&first, 1, 0) > 0 && (first.revents & (POLLIN | POLLHUP | POLLERR)))
            if (!Serve()) DropClient();
    }
    if (client_ >= 0) {
        // One controlling client: the second one is told and closed; the first goes on.
        [[maybe_unused]] const auto sent =
            send(connection, kSecondClientLine, std::strlen(kSecondClientLine), MSG_NOSIGNAL);
        close(connection);
        Log("A second client was refused");
        return;
    }
    const int yes = 1;
    setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    // A client that sends queries but never reads their answers would fill the socket and stop the
    // server for good: an answer that cannot be sent within this time ends the connection instead.
    timeval sendLimit{};
    sendLimit.tv_sec = kSendTimeoutSeconds;
    setsockopt(connection, SOL_SOCKET, SO_SNDTIMEO, &sendLimit, sizeof sendLimit);
    client_ = connection;
    pending_.clear();
    discarding_ = false;
    instrument_.NewClient();
    Log("Client connected");
}

bool TScpiServer::Serve() {
    char buffer[16384];
    const ssize_t got = recv(client_, buffer, sizeof buffer, 0);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) return true;
    const bool open = got > 0;
    if (open) pending_.append(buffer, static_cast<std::size_t>(got));
    // Every complete line runs, also those that came just before the client closed.
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = pending_.find('\n', start);
        if (end == std::string::npos) break;
        std::string_view line(pending_.data() + start, end - start);
        start = end + 1;
        if (discarding_) {
            discarding_ = false;  // the end of the line that went beyond the limit
            continue;
        }
        if (line.size() > scpi::kLineLimit) {
            instrument_.interpreter.errors.Push(-363, "line longer than 64 KiB");
            continue;
        }
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::string answer = instrument_.Execute(line);
        if (!answer.empty() && open && !Send(answer)) return false;
    }
    pending_.erase(0, start);
    if (discarding_) {
        pending_.clear();
    } else if (pending_.size() > scpi::kLineLimit) {
        // A line beyond the limit is not kept: the rest of it is skipped up to its end.
        instrument_.interpreter.errors.Push(-363, "line longer than 64 KiB");
        pending_.clear();
        discarding_ = true;
    }
    return open;
}

bool TScpiServer::Send(const std::string& text) {
    std::size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t n = send(client_, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

void TScpiServer::DropClient() {
    if (client_ < 0) return;
    close(client_);
    client_ = -1;
    pending_.clear();
    discarding_ = false;
    Log("Client disconnected");
}

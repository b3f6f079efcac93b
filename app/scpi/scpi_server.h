// The instrument's socket: SCPI over a raw TCP connection (port 5025 by default), one line per program
// message. POSIX only.
//
// One controlling client at a time: a second connection gets one error line and is closed, and the
// first keeps working. Commands run one after another on the server's one thread, a device load
// included; a client that disconnects in the middle leaves the command (and the load) to finish, and
// its answer is dropped. A line longer than scpi::kLineLimit is discarded whole with -363. A client that
// leaves its answers unread for 30 s, so that the socket stays full, is disconnected.
#pragma once

#include <atomic>
#include <string>

class TScpiInstrument;

class TScpiServer {
 public:
    explicit TScpiServer(TScpiInstrument& instrument);
    ~TScpiServer();
    TScpiServer(const TScpiServer&) = delete;
    TScpiServer& operator=(const TScpiServer&) = delete;

    // Binds and listens on address:port (port 0: one the system chooses). false with `error` set when
    // that fails. The address is numeric IPv4 or "localhost".
    bool Listen(const std::string& address, int port, std::string& error);
    int Port() const { return port_; }
    // Serves until `stop` is set (checked at least every 100 ms), polling the sweep every 600 ms.
    void Run(const std::atomic<bool>& stop);

 private:
    void Accept();
    // Reads what the client sent and executes its complete lines; false when the client has gone.
    bool Serve();
    bool Send(const std::string& text);
    void DropClient();

    TScpiInstrument& instrument_;
    int listener_ = -1;
    int client_ = -1;
    int port_ = 0;
    std::string pending_;
    bool discarding_ = false;  // inside a line that went beyond the limit
};

// Whether an address is the loopback interface (127.0.0.0/8 or "localhost").
bool IsLoopbackAddress(const std::string& address);

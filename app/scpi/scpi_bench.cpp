// zorvanl-scpi-bench: the remote interface's answer times over a local socket. The instrument and its
// server run in this process on the emulated board, in a program directory of their own (Firmware and
// Signals linked from beside this program); a client thread times 10^4 queries and 10^4 settings, each
// from sending the line to receiving its answer (a setting is followed by *OPC? in the same line).
// Device loads are left out: the settings are attenuator writes.
//   last line: scpi query_p99_ms=Q set_p99_ms=S
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "hw/hardware.h"
#include "hw/messages.h"
#include "scpi_instrument.h"
#include "scpi_server.h"
#include "zplatform/system_info.h"

namespace {

constexpr int kRounds = 10000;

class Client {
 public:
    explicit Client(int port) {
        socket_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in where{};
        where.sin_family = AF_INET;
        where.sin_port = htons(static_cast<std::uint16_t>(port));
        where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const int yes = 1;
        setsockopt(socket_, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        ok_ = connect(socket_, reinterpret_cast<const sockaddr*>(&where), sizeof where) == 0;
    }
    ~Client() { close(socket_); }
    bool ok() const { return ok_; }
    std::string Ask(const std::string& line) {
        const std::string text = line + "\n";
        if (send(socket_, text.data(), text.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(text.size()))
            return {};
        std::string answer;
        char c = 0;
        while (recv(socket_, &c, 1, 0) == 1 && c != '\n')
            answer += c;
        return answer;
    }

 private:
    int socket_ = -1;
    bool ok_ = false;
};

double Percentile99(std::vector<double>& ms) {
    std::sort(ms.begin(), ms.end());
    return ms[std::min(ms.size() - 1, static_cast<std::size_t>(ms.size() * 0.99))];
}

}  // namespace

int main() {
    CreateWarning(0);
    std::string bin = zplatform::system::executablePath();
    bin.erase(bin.find_last_of('/') + 1);
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("zorvanl-scpi-bench." + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::create_directory_symlink(std::filesystem::path(bin) / "Firmware", dir / "Firmware");
    std::filesystem::create_directory_symlink(std::filesystem::path(bin) / "Signals", dir / "Signals");
    AppDir = dir.string() + "/";

    int status = 0;
    {
        TScpiInstrument instrument;
        if (instrument.StartUp(0, {}) != 0) {
            std::fprintf(stderr, "zorvanl-scpi-bench: the emulated board did not connect\n");
            status = 1;
        } else {
            TScpiServer server(instrument);
            std::string error;
            if (!server.Listen("127.0.0.1", 0, error)) {
                std::fprintf(stderr, "zorvanl-scpi-bench: %s\n", error.c_str());
                status = 1;
            } else {
                std::atomic<bool> stop{false};
                std::vector<double> queries, sets;
                std::thread client([&] {
                    Client c(server.Port());
                    if (!c.ok()) {
                        stop = true;
                        return;
                    }
                    const char* asked[] = {"FREQ?", "SYMB?", "NOIS:LEV?", "OUTP?", "*STB?"};
                    for (int i = 0; i < kRounds; ++i) {
                        const auto begin = std::chrono::steady_clock::now();
                        c.Ask(asked[i % 5]);
                        queries.push_back(std::chrono::duration<double, std::milli>(
                                              std::chrono::steady_clock::now() - begin)
                                              .count());
                    }
                    for (int i = 0; i < kRounds; ++i) {
                        const std::string line = "OUTP:ATT" + std::to_string(1 + i % 2) + " " +
                                                 std::to_string(10 + i % 11) + ";*OPC?";
                        const auto begin = std::chrono::steady_clock::now();
                        c.Ask(line);
                        sets.push_back(std::chrono::duration<double, std::milli>(
                                           std::chrono::steady_clock::now() - begin)
                                           .count());
                    }
                    stop = true;
                });
                server.Run(stop);
                client.join();
                if (queries.size() != kRounds || sets.size() != kRounds) {
                    std::fprintf(stderr, "zorvanl-scpi-bench: the client did not finish\n");
                    status = 1;
                } else {
                    std::printf("scpi query_p99_ms=%.3f set_p99_ms=%.3f\n", Percentile99(queries),
                                Percentile99(sets));
                }
            }
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    return status;
}

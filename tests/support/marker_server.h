// marker_server.h - a loopback HTTP server for browser tests: a page that
// fetches anything from it is seen to.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tessaly::test {

// A loopback HTTP server that answers every request with an empty page and
// keeps the paths asked for.
class MarkerServer {
public:
    MarkerServer() {
        socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(socket_, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(socket_, 16) != 0 ||
            ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            return;
        }
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~MarkerServer() {
        stop_ = true;
        ::shutdown(socket_, SHUT_RDWR);
        ::close(socket_);
        if (thread_.joinable()) thread_.join();
    }
    int port() const { return port_; }
    std::vector<std::string> requests() {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }

private:
    void serve() {
        while (!stop_) {
            const int client = ::accept(socket_, nullptr, nullptr);
            if (client < 0) return;
            // A connection opened ahead and never used must not hold up the rest.
            const timeval wait{0, 200000};
            ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
            char buffer[2048];
            const ssize_t got = ::read(client, buffer, sizeof buffer);
            if (got > 0) {
                const std::string request(buffer, static_cast<size_t>(got));
                std::lock_guard<std::mutex> lock(mutex_);
                requests_.push_back(request.substr(0, request.find('\r')));
            }
            static const char kReply[] = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: 0\r\n\r\n";
            (void)!::write(client, kReply, sizeof kReply - 1);
            ::close(client);
        }
    }

    int socket_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::string> requests_;
};

// The DOM chromium leaves after loading `url` (headless, from a fresh
// profile in `profile`), or empty when it did not run.
std::string chromiumDom(const std::string& url, const std::string& profile, const std::string& flags = "");

}  // namespace tessaly::test

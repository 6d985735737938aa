// html_sanitizer_browser_test.cpp - hostile mail and its safe copy opened in
// a real browser from file://: the copy runs nothing (the title stays) and
// fetches nothing (a local server sees no request). Skipped when chromium is
// not installed.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "message/html_sanitizer.h"
#include "support/temp_dir.h"

namespace tessaly {
namespace {

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

// Every way mail has to run script or to fetch, aimed at the server at
// MARK ("http://127.0.0.1:port/") or at the title.
std::string hostileMail(const std::string& mark) {
    const std::string run = "document.title='ran'";
    return "<html><head><title>untouched</title><base href=\"" + mark + "base/\">"
           "<link rel=stylesheet href=\"" + mark + "link.css\"><style>@import '" + mark + "import.css'; body{background:url(" + mark +
           "css.png)} p{background:u\\72l(" + mark + "escape.png)}</style><script>" + run + "</script></head>"
           "<body onload=\"" + run + "\" background=\"" + mark + "body.png\"><p>text</p>"
           "<img src=x onerror=\"" + run + "\"><img src=\"" + mark + "remote.png\"><img src=relative.png>"
           "<svg><script>" + run + "</script><image href=\"" + mark + "svg.png\"/></svg>"
           "<iframe src=\"" + mark + "frame\"></iframe><object data=\"" + mark + "object\"></object>"
           "<embed src=\"" + mark + "embed\"><video poster=\"" + mark + "poster.png\"></video>"
           "<form action=\"" + mark + "form\"><input type=image src=\"" + mark + "input.png\"></form>"
           "<div style=\"background-image:url(" + mark + "style.png)\">x</div>"
           "<table background=\"" + mark + "table.png\"><tr><td>x</td></tr></table>"
           "<a id=link href=\"&#106;avascript:" + run + "\">link</a>"
           "<img src=\"data:image/svg+xml,<svg xmlns='http://www.w3.org/2000/svg' onload=&quot;" + run + "&quot;/>\">"
           "<details open ontoggle=\"" + run + "\">x</details></body></html>";
}

class SanitizerBrowser : public testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v chromium >/dev/null 2>&1") != 0) GTEST_SKIP() << "chromium is not installed";
        if (server_.port() == 0) GTEST_SKIP() << "no loopback socket";
    }

    // The page's DOM after load, as chromium leaves it.
    std::string dom(const std::string& name, const std::string& html) {
        test::writeFile(dir_.file(name), html);
        const std::string command = "timeout 60 chromium --headless --no-sandbox --disable-gpu --no-first-run "
                                    "--disable-background-networking --virtual-time-budget=3000 --user-data-dir=" +
                                    dir_.file("profile") + " --dump-dom 'file://" + dir_.file(name) + "' 2>/dev/null > " +
                                    dir_.file("dom.html");
        if (std::system(command.c_str()) != 0) return "";
        return test::readFile(dir_.file("dom.html"));
    }

    MarkerServer server_;
    test::TempDir dir_;
};

TEST_F(SanitizerBrowser, TheCopyRunsAndFetchesNothing) {
    const std::string mark = "http://127.0.0.1:" + std::to_string(server_.port()) + "/";
    const std::string mail = hostileMail(mark);
    // The original shows the harness sees both.
    const std::string original = dom("original.html", mail);
    ASSERT_NE(original.find("<title>ran</title>"), std::string::npos) << original;
    ASSERT_FALSE(server_.requests().empty());

    const size_t before = server_.requests().size();
    const std::string copy = dom("copy.html", sanitizeHtml(mail, nullptr));
    ASSERT_NE(copy.find("<p>text</p>"), std::string::npos) << copy;
    EXPECT_NE(copy.find("<title>untouched</title>"), std::string::npos) << copy;
    const std::vector<std::string> requests = server_.requests();
    EXPECT_EQ(requests.size(), before) << requests.back();
}

}  // namespace
}  // namespace tessaly

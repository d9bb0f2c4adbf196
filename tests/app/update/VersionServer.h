#pragma once
// A small HTTP server on 127.0.0.1 for the update check's tests. It runs on a thread of its
// own, so that a fetch that blocks the test's thread is still answered. Each path answers with
// a fixed status and body; a path can also break off after the headers, or answer late.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace kestrel::test {

class VersionServer {
  public:
    struct Answer {
        int Status = 200;
        std::string Body;
        bool BreakOff = false; // headers announce the body, then the connection closes
        int DelayMs = 0;       // before anything is sent
    };

    VersionServer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        const int yes = 1;
        ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 16);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~VersionServer() {
        stop_ = true;
        thread_.join();
        ::close(listener_);
    }
    VersionServer(const VersionServer&) = delete;
    VersionServer& operator=(const VersionServer&) = delete;

    int Port() const { return port_; }
    std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_); }
    std::string Url(const std::string& path) const { return Base() + path; }

    void Set(const std::string& path, Answer answer) {
        std::lock_guard lock(mutex_);
        answers_[path] = std::move(answer);
    }
    // Requests received for `path` (every path for an empty one).
    int Requests(const std::string& path = {}) const {
        std::lock_guard lock(mutex_);
        if (path.empty()) {
            int all = 0;
            for (const auto& [p, n] : counts_)
                all += n;
            return all;
        }
        const auto it = counts_.find(path);
        return it == counts_.end() ? 0 : it->second;
    }

  private:
    void Serve() {
        while (!stop_) {
            pollfd waiting{listener_, POLLIN, 0};
            if (::poll(&waiting, 1, 20) <= 0)
                continue;
            const int client = ::accept(listener_, nullptr, nullptr);
            if (client < 0)
                continue;
            Handle(client);
            ::close(client);
        }
    }

    void Handle(int client) {
        std::string request;
        char buffer[1024];
        while (request.find("\r\n\r\n") == std::string::npos && request.size() < 16384) {
            pollfd readable{client, POLLIN, 0};
            if (::poll(&readable, 1, 2000) <= 0)
                return;
            const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
            if (n <= 0)
                return;
            request.append(buffer, static_cast<size_t>(n));
        }
        const size_t start = request.find(' ') + 1;
        const std::string path = request.substr(start, request.find(' ', start) - start);
        Answer answer;
        {
            std::lock_guard lock(mutex_);
            ++counts_[path];
            const auto it = answers_.find(path);
            if (it == answers_.end())
                answer = Answer{404, "not here"};
            else
                answer = it->second;
        }
        const auto until =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(answer.DelayMs);
        while (!stop_ && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const size_t announced = answer.BreakOff ? answer.Body.size() + 100 : answer.Body.size();
        const std::string head =
            "HTTP/1.1 " + std::to_string(answer.Status) +
            (answer.Status == 200 ? " OK" : " Error") +
            "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(announced) +
            "\r\nConnection: close\r\n\r\n";
        const std::string all = head + answer.Body;
        ::send(client, all.data(), all.size(), MSG_NOSIGNAL);
    }

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    // Guards answers_ and counts_ between the test and the serving thread.
    mutable std::mutex mutex_;
    std::map<std::string, Answer> answers_;
    std::map<std::string, int> counts_;
};

} // namespace kestrel::test

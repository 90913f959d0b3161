#include "local_http_server.h"

#include <ws2tcpip.h>

namespace {

bool sendAll(SOCKET socket, const char* data, std::size_t size) {
    while (size > 0) {
        const int sent = send(socket, data, static_cast<int>(size > 65536 ? 65536 : size), 0);
        if (sent <= 0) return false;
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

// The path of "GET /path HTTP/1.1", once the request's head has arrived; empty on failure.
std::string readRequestPath(SOCKET client) {
    std::string head;
    char buffer[1024];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        const int got = recv(client, buffer, sizeof(buffer), 0);
        if (got <= 0) return std::string();
        head.append(buffer, static_cast<std::size_t>(got));
    }
    const std::size_t space = head.find(' ');
    const std::size_t end = space == std::string::npos ? std::string::npos : head.find(' ', space + 1);
    return end == std::string::npos ? std::string() : head.substr(space + 1, end - space - 1);
}

SOCKET loopbackListener(unsigned short& port) {
    const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener == INVALID_SOCKET) return listener;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof(address);
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0 || listen(listener, 8) != 0) {
        closesocket(listener);
        return INVALID_SOCKET;
    }
    port = ntohs(address.sin_port);
    return listener;
}

}  // namespace

LocalHttpServer::LocalHttpServer() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = loopbackListener(port_);
    if (listening()) thread_ = std::thread([this] { acceptLoop(); });
}

LocalHttpServer::~LocalHttpServer() {
    stop_ = true;
    if (listening()) closesocket(listener_);
    if (thread_.joinable()) thread_.join();
    WSACleanup();
}

unsigned short LocalHttpServer::unusedPort() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    unsigned short port = 0;
    const SOCKET probe = loopbackListener(port);
    if (probe != INVALID_SOCKET) closesocket(probe);
    WSACleanup();
    return port;
}

void LocalHttpServer::serve(const std::string& path, std::vector<unsigned char> body, Answer answer) {
    std::lock_guard<std::mutex> lock(mutex_);
    resources_[path] = {std::move(body), answer, 0, 0};
}

std::wstring LocalHttpServer::url(const std::string& path) const {
    return L"http://127.0.0.1:" + std::to_wstring(port_) + std::wstring(path.begin(), path.end());
}

int LocalHttpServer::requests(const std::string& path) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = resources_.find(path);
    return found == resources_.end() ? 0 : found->second.requests;
}

int LocalHttpServer::abandoned(const std::string& path) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = resources_.find(path);
    return found == resources_.end() ? 0 : found->second.abandoned;
}

void LocalHttpServer::acceptLoop() {
    while (!stop_) {
        const SOCKET client = accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) continue;  // the listener closes when the server ends
        answer(client);
        closesocket(client);
    }
}

// True when the client closed its end; false when the server is ending.
bool LocalHttpServer::waitForClientToLeave(SOCKET client) {
    while (!stop_) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(client, &readable);
        timeval wait = {0, 100000};
        if (select(0, &readable, nullptr, nullptr, &wait) <= 0) continue;
        char byte;
        if (recv(client, &byte, 1, 0) <= 0) return true;
    }
    return false;
}

void LocalHttpServer::answer(SOCKET client) {
    const std::string path = readRequestPath(client);
    Resource resource;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto found = resources_.find(path);
        if (found == resources_.end()) {
            const std::string missing = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
            sendAll(client, missing.data(), missing.size());
            return;
        }
        ++found->second.requests;
        resource = found->second;
    }
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: application/zip\r\nContent-Length: " +
                             std::to_string(resource.body.size()) + "\r\nConnection: close\r\n\r\n";
    const char* body = reinterpret_cast<const char*>(resource.body.data());
    const std::size_t part = resource.answer == Answer::Whole ? resource.body.size() : resource.body.size() / 2;
    const bool sent = sendAll(client, head.data(), head.size()) && sendAll(client, body, part);
    bool left = !sent;
    if (sent && resource.answer == Answer::Slow) left = waitForClientToLeave(client);
    if (sent && resource.answer == Answer::CutShort) shutdown(client, SD_BOTH);
    if (!left) return;
    std::lock_guard<std::mutex> lock(mutex_);
    ++resources_[path].abandoned;
}

// A small HTTP/1.1 server on 127.0.0.1 for the download tests, on a thread of its own: each path
// answers whole, cut short (the connection closes half-way), or slowly (a first part, then
// nothing until the client goes away); any other path gets 404.
//
//   LocalHttpServer server;
//   server.serve("/jre.zip", bytes, LocalHttpServer::Answer::Whole);
//   const std::wstring url = server.url("/jre.zip");   // http://127.0.0.1:PORT/jre.zip
#pragma once

#include <winsock2.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class LocalHttpServer {
public:
    enum class Answer { Whole, CutShort, Slow };

    LocalHttpServer();
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    bool listening() const { return listener_ != INVALID_SOCKET; }
    void serve(const std::string& path, std::vector<unsigned char> body, Answer answer);
    std::wstring url(const std::string& path) const;
    // How many requests came for `path`, and how many of them the client ended before the body did.
    int requests(const std::string& path) const;
    int abandoned(const std::string& path) const;

    // A port on 127.0.0.1 where nothing listens (it was free a moment ago).
    static unsigned short unusedPort();

private:
    struct Resource {
        std::vector<unsigned char> body;
        Answer answer = Answer::Whole;
        int requests = 0;
        int abandoned = 0;
    };
    void acceptLoop();
    void answer(SOCKET client);
    bool waitForClientToLeave(SOCKET client);

    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::map<std::string, Resource> resources_;
    std::thread thread_;
};

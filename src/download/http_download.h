// One HTTP GET into a file, on a thread of its own, through WinHTTP with the system's proxy
// settings. WinHTTP is loaded from the system folder when the first download starts: a launch that
// finds its runtime never loads it.
//
//   HttpDownload download(url, file.get(), expectedSize);
//   if (download.start()) WaitForSingleObject(download.finished(), INFINITE);   // or cancel()
//   if (download.result().outcome == HttpOutcome::Received) check(download.result().digest);
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "download/download_url.h"
#include "support/sha256.h"
#include "support/unique_handle.h"

enum class HttpOutcome {
    Received,     // the server ended the body (received may still be short)
    Unreachable,  // no connection, no name, a proxy refusing, a timeout: `error` says which
    Interrupted,  // the connection broke after the body began
    HttpStatus,   // an answer other than 200
    TooLong,      // more than the limit arrived
    WriteFailed,  // the file took no more: `error` says why
    Cancelled,
};

struct HttpResult {
    HttpOutcome outcome = HttpOutcome::Unreachable;
    DWORD error = 0;
    DWORD status = 0;
    std::uint64_t received = 0;
    Sha256::Digest digest{};  // of the bytes received
};

class HttpDownload {
public:
    // `file` is written from its current position; more than `limit` bytes end the download.
    HttpDownload(const DownloadUrl& url, HANDLE file, std::uint64_t limit);
    // Waits for the thread: a download is never left running past its owner.
    ~HttpDownload();
    HttpDownload(const HttpDownload&) = delete;
    HttpDownload& operator=(const HttpDownload&) = delete;

    // False, with the result set, when WinHTTP cannot be loaded or the thread cannot start.
    bool start();
    // Any thread: closes the request, which ends a read that waits for the network at once.
    void cancel();
    // Set when the thread has finished and result() holds.
    HANDLE finished() const { return finished_.get(); }
    std::uint64_t received() const { return received_.load(); }
    const HttpResult& result() const { return result_; }

private:
    static DWORD WINAPI threadMain(void* self);
    void run();
    bool readBody(void* request, HttpResult& result);
    void closeRequest();

    DownloadUrl url_;
    HANDLE file_;
    std::uint64_t limit_;
    UniqueHandle finished_;
    UniqueHandle thread_;
    std::atomic<std::uint64_t> received_{0};
    std::atomic<bool> cancelled_{false};
    SRWLOCK lock_ = SRWLOCK_INIT;
    void* request_ = nullptr;  // guarded by lock_: cancel() may close it while the thread reads
    HttpResult result_;
};

// One HTTP GET into a file, on a thread of its own, through WinHTTP with the system's proxy
// settings. WinHTTP is loaded from the system folder when the first download starts: a launch that
// finds its runtime never loads it.
//
//   HttpDownload download(url, file.get(), expectedSize);
//   if (download.start()) WaitForSingleObject(download.finished(), INFINITE);   // or cancel()
//   const HttpResult result = download.result();
//   if (result.outcome == HttpOutcome::Received) check(result.digest);
#pragma once

#include <windows.h>

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
    // Cancels a download still running and gives its thread a moment to end. A thread that does not
    // (a read that closing its request does not end, as under Wine) is left to end with the process:
    // it holds its own references to what it uses, the file by a handle of its own.
    ~HttpDownload();
    HttpDownload(const HttpDownload&) = delete;
    HttpDownload& operator=(const HttpDownload&) = delete;

    // False, with the result set, when WinHTTP cannot be loaded or the thread cannot start.
    bool start();
    // Any thread: closes the request, which ends a read that waits for the network, and sets
    // finished() at once, whether or not the thread has ended yet.
    void cancel();
    // Set when the thread has finished or the download was cancelled; then result() holds.
    HANDLE finished() const;
    std::uint64_t received() const;
    // Cancelled, with what had arrived, once cancel() was called; else what the thread found.
    HttpResult result() const;

private:
    struct Transfer;
    static DWORD WINAPI threadMain(void* transfer);

    Transfer* transfer_;  // counted: this holds one reference, the running thread another
    UniqueHandle thread_;
    HttpResult startFailure_;
};

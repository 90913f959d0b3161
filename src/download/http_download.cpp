#include "download/http_download.h"

#include <winhttp.h>

#include <atomic>
#include <memory>

#include "support/procedure.h"
#include "support/run_once.h"
#include "support/system_libraries.h"
#include "support/trace.h"

namespace {

// The WinHTTP calls, resolved once; the library stays loaded for the process's life.
struct WinHttp {
    decltype(&WinHttpOpen) open = nullptr;
    decltype(&WinHttpConnect) connect = nullptr;
    decltype(&WinHttpOpenRequest) openRequest = nullptr;
    decltype(&WinHttpSetTimeouts) setTimeouts = nullptr;
    decltype(&WinHttpSetOption) setOption = nullptr;
    decltype(&WinHttpSendRequest) sendRequest = nullptr;
    decltype(&WinHttpReceiveResponse) receiveResponse = nullptr;
    decltype(&WinHttpQueryHeaders) queryHeaders = nullptr;
    decltype(&WinHttpReadData) readData = nullptr;
    decltype(&WinHttpCloseHandle) closeHandle = nullptr;
    bool loaded = false;
};

WinHttp winHttp;
INIT_ONCE winHttpOnce = INIT_ONCE_STATIC_INIT;

void loadWinHttp() {
    // From the system folder only: a winhttp.dll beside the program or in the current folder would run.
    const HMODULE module = loadSystemLibrary(L"winhttp.dll");
    WinHttp& w = winHttp;
    w.loaded = findProcedure(module, "WinHttpOpen", w.open) && findProcedure(module, "WinHttpConnect", w.connect) &&
               findProcedure(module, "WinHttpOpenRequest", w.openRequest) &&
               findProcedure(module, "WinHttpSetTimeouts", w.setTimeouts) &&
               findProcedure(module, "WinHttpSetOption", w.setOption) &&
               findProcedure(module, "WinHttpSendRequest", w.sendRequest) &&
               findProcedure(module, "WinHttpReceiveResponse", w.receiveResponse) &&
               findProcedure(module, "WinHttpQueryHeaders", w.queryHeaders) &&
               findProcedure(module, "WinHttpReadData", w.readData) &&
               findProcedure(module, "WinHttpCloseHandle", w.closeHandle);
}

struct InternetTraits {
    using Value = HINTERNET;
    static Value empty() { return nullptr; }
    static void close(Value value) { winHttp.closeHandle(value); }
};
using UniqueInternet = UniqueResource<InternetTraits>;

// WinHTTP wants an IPv6 address without its brackets.
Text connectHost(const Text& host) {
    return host.size() > 2 && host.front() == L'[' ? host.substr(1, host.size() - 2) : host;
}

}  // namespace

// What the download's thread works on. The thread holds a reference of its own, so that an owner
// that gives up on it (a cancelled read that does not end) leaves it nothing that dangles.
struct HttpDownload::Transfer {
    Transfer(const DownloadUrl& url, HANDLE file, std::uint64_t limit) : url(url), limit(limit) {
        HANDLE own = nullptr;
        if (DuplicateHandle(GetCurrentProcess(), file, GetCurrentProcess(), &own, 0, FALSE, DUPLICATE_SAME_ACCESS))
            this->file.reset(own);
    }

    // The last of the owner's and the thread's references deletes it.
    void release() {
        if (InterlockedDecrement(&references) == 0) delete this;
    }
    void closeRequest() {
        AcquireSRWLockExclusive(&lock);
        if (request) winHttp.closeHandle(request);
        request = nullptr;
        ReleaseSRWLockExclusive(&lock);
    }
    void run();
    bool readBody(HINTERNET request, HttpResult& result);

    const DownloadUrl url;
    UniqueHandle file;  // the caller's file by a handle of the thread's own
    const std::uint64_t limit;
    const UniqueHandle finished{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    LONG references = 1;
    std::atomic<std::uint64_t> received{0};
    std::atomic<bool> cancelled{false};
    SRWLOCK lock = SRWLOCK_INIT;
    HINTERNET request = nullptr;  // guarded by lock: cancel() may close it while the thread reads
    HttpResult result;            // guarded by lock, written once the thread is done
};

HttpDownload::HttpDownload(const DownloadUrl& url, HANDLE file, std::uint64_t limit)
    : transfer_(new Transfer(url, file, limit)) {}

HttpDownload::~HttpDownload() {
    if (thread_) {
        cancel();
        // Closing the request ends a blocked read at once on Windows; the thread then only closes its
        // handles. Past this moment it is left to end by itself.
        WaitForSingleObject(thread_.get(), 2000);
    }
    transfer_->release();
}

bool HttpDownload::start() {
    runOnce(winHttpOnce, loadWinHttp);
    startFailure_ = HttpResult();
    if (!winHttp.loaded || !transfer_->finished || !transfer_->file) {
        startFailure_.error = GetLastError();
        traceFormatted(L"runtime download: WinHTTP cannot be loaded, error %d", {startFailure_.error});
        return false;
    }
    InterlockedIncrement(&transfer_->references);  // the thread's
    thread_.reset(CreateThread(nullptr, 0, threadMain, transfer_, 0, nullptr));
    if (!thread_) {
        startFailure_.error = GetLastError();
        transfer_->release();
        return false;
    }
    return true;
}

void HttpDownload::cancel() {
    transfer_->cancelled.store(true);
    transfer_->closeRequest();
    SetEvent(transfer_->finished.get());
}

HANDLE HttpDownload::finished() const { return transfer_->finished.get(); }

std::uint64_t HttpDownload::received() const { return transfer_->received.load(); }

HttpResult HttpDownload::result() const {
    if (!thread_) return startFailure_;
    Transfer& t = *transfer_;
    if (t.cancelled.load()) {
        HttpResult cancelled;
        cancelled.outcome = HttpOutcome::Cancelled;
        cancelled.received = t.received.load();
        return cancelled;
    }
    AcquireSRWLockShared(&t.lock);
    const HttpResult found = t.result;
    ReleaseSRWLockShared(&t.lock);
    return found;
}

DWORD WINAPI HttpDownload::threadMain(void* reference) {
    Transfer& transfer = *static_cast<Transfer*>(reference);
    transfer.run();
    SetEvent(transfer.finished.get());
    transfer.release();
    return 0;
}

void HttpDownload::Transfer::run() {
    HttpResult found;
    // Windows 8.1 and later follow the user's proxy settings themselves; older ones refuse the access
    // type and take the system's WinHTTP proxy (netsh winhttp).
    UniqueInternet session(winHttp.open(L"vornicw", WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                                        WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session)
        session.reset(winHttp.open(L"vornicw", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                   WINHTTP_NO_PROXY_BYPASS, 0));
    const HINTERNET used = session.get();
    // Name resolution as the system does it; a connection, a request and each wait for data may
    // take half a minute before the download counts as broken.
    if (used) winHttp.setTimeouts(used, 0, 30000, 30000, 30000);
    const UniqueInternet connection(used ? winHttp.connect(used, connectHost(url.host).c_str(),
                                                           static_cast<INTERNET_PORT>(url.port), 0)
                                         : nullptr);
    HINTERNET opened = connection ? winHttp.openRequest(connection.get(), L"GET", url.path.c_str(), nullptr,
                                                        WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                        url.secure ? WINHTTP_FLAG_SECURE : 0)
                                  : nullptr;
    AcquireSRWLockExclusive(&lock);
    request = opened;
    ReleaseSRWLockExclusive(&lock);
    if (cancelled.load()) closeRequest();  // cancelled before there was a request to close
    DWORD status = 0;
    DWORD statusSize = sizeof(status);
    const bool answered =
        opened && winHttp.sendRequest(opened, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) &&
        winHttp.receiveResponse(opened, nullptr) &&
        winHttp.queryHeaders(opened, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &statusSize, WINHTTP_NO_HEADER_INDEX);
    if (!answered) {
        found.outcome = HttpOutcome::Unreachable;
        found.error = GetLastError();
    } else if (status != 200) {
        found.outcome = HttpOutcome::HttpStatus;
        found.status = status;
    } else {
        readBody(opened, found);
    }
    if (cancelled.load()) found.outcome = HttpOutcome::Cancelled;
    closeRequest();
    found.received = received.load();
    if (tracing())
        traceFormatted(L"runtime download: outcome %d, error %d, HTTP status %d, %s bytes",
                       {static_cast<int>(found.outcome), found.error, status, decimalText(found.received)});
    AcquireSRWLockExclusive(&lock);
    result = found;
    ReleaseSRWLockExclusive(&lock);
}

bool HttpDownload::Transfer::readBody(HINTERNET request, HttpResult& result) {
    constexpr DWORD kChunk = 64 * 1024;
    const std::unique_ptr<BYTE[]> buffer(new BYTE[kChunk]);
    // The system's SHA-256 (the AES provider has it since Windows XP SP3) rather than a copy of our own.
    HCRYPTPROV provider = 0;
    HCRYPTHASH created = 0;
    CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT);
    const UniqueCryptProvider ownedProvider(provider);
    if (provider) CryptCreateHash(provider, CALG_SHA_256, 0, 0, &created);
    const UniqueCryptHash hash(created);
    if (!hash) {
        result.outcome = HttpOutcome::Unreachable;
        result.error = GetLastError();
        return false;
    }
    std::uint64_t received = 0;
    while (!cancelled.load()) {
        DWORD read = 0;
        if (!winHttp.readData(request, buffer.get(), kChunk, &read)) {
            result.outcome = HttpOutcome::Interrupted;
            result.error = GetLastError();
            return false;
        }
        if (read == 0) break;
        if (read > limit - received) {
            result.outcome = HttpOutcome::TooLong;
            this->received.store(received + read);
            return false;
        }
        DWORD written = 0;
        if (!WriteFile(file.get(), buffer.get(), read, &written, nullptr) || written != read) {
            result.outcome = HttpOutcome::WriteFailed;
            result.error = GetLastError();
            return false;
        }
        CryptHashData(hash.get(), buffer.get(), read, 0);
        received += read;
        this->received.store(received);
    }
    DWORD digestSize = sizeof(result.digest);
    CryptGetHashParam(hash.get(), HP_HASHVAL, result.digest.data(), &digestSize, 0);
    result.outcome = HttpOutcome::Received;
    return true;
}

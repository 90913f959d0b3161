#include "download/http_download.h"

#include <winhttp.h>

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

HttpDownload::HttpDownload(const DownloadUrl& url, HANDLE file, std::uint64_t limit)
    : url_(url), file_(file), limit_(limit), finished_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

HttpDownload::~HttpDownload() {
    if (!thread_) return;
    cancel();
    WaitForSingleObject(thread_.get(), INFINITE);
}

bool HttpDownload::start() {
    runOnce(winHttpOnce, loadWinHttp);
    result_ = HttpResult();
    if (!winHttp.loaded || !finished_) {
        result_.error = GetLastError();
        traceFormatted(L"runtime download: WinHTTP cannot be loaded, error %d", {result_.error});
        return false;
    }
    thread_.reset(CreateThread(nullptr, 0, threadMain, this, 0, nullptr));
    if (!thread_) {
        result_.error = GetLastError();
        return false;
    }
    return true;
}

void HttpDownload::cancel() {
    cancelled_.store(true);
    closeRequest();
}

void HttpDownload::closeRequest() {
    AcquireSRWLockExclusive(&lock_);
    if (request_) winHttp.closeHandle(request_);
    request_ = nullptr;
    ReleaseSRWLockExclusive(&lock_);
}

DWORD WINAPI HttpDownload::threadMain(void* self) {
    auto* download = static_cast<HttpDownload*>(self);
    download->run();
    SetEvent(download->finished_.get());
    return 0;
}

void HttpDownload::run() {
    HttpResult result;
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
    const UniqueInternet connection(used ? winHttp.connect(used, connectHost(url_.host).c_str(),
                                                           static_cast<INTERNET_PORT>(url_.port), 0)
                                         : nullptr);
    HINTERNET request = connection ? winHttp.openRequest(connection.get(), L"GET", url_.path.c_str(), nullptr,
                                                         WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                         url_.secure ? WINHTTP_FLAG_SECURE : 0)
                                   : nullptr;
    AcquireSRWLockExclusive(&lock_);
    request_ = request;
    ReleaseSRWLockExclusive(&lock_);
    if (cancelled_.load()) closeRequest();  // cancelled before there was a request to close
    DWORD status = 0;
    DWORD statusSize = sizeof(status);
    const bool answered =
        request && winHttp.sendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) &&
        winHttp.receiveResponse(request, nullptr) &&
        winHttp.queryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &statusSize, WINHTTP_NO_HEADER_INDEX);
    if (!answered) {
        result.outcome = HttpOutcome::Unreachable;
        result.error = GetLastError();
    } else if (status != 200) {
        result.outcome = HttpOutcome::HttpStatus;
        result.status = status;
    } else {
        readBody(request, result);
    }
    if (cancelled_.load()) result.outcome = HttpOutcome::Cancelled;
    closeRequest();
    result.received = received_.load();
    if (tracing())
        traceFormatted(L"runtime download: outcome %d, error %d, HTTP status %d, %s bytes",
                       {static_cast<int>(result.outcome), result.error, status, decimalText(result.received)});
    result_ = result;
}

bool HttpDownload::readBody(void* request, HttpResult& result) {
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
    while (!cancelled_.load()) {
        DWORD read = 0;
        if (!winHttp.readData(request, buffer.get(), kChunk, &read)) {
            result.outcome = HttpOutcome::Interrupted;
            result.error = GetLastError();
            return false;
        }
        if (read == 0) break;
        if (read > limit_ - received) {
            result.outcome = HttpOutcome::TooLong;
            received_.store(received + read);
            return false;
        }
        DWORD written = 0;
        if (!WriteFile(file_, buffer.get(), read, &written, nullptr) || written != read) {
            result.outcome = HttpOutcome::WriteFailed;
            result.error = GetLastError();
            return false;
        }
        CryptHashData(hash.get(), buffer.get(), read, 0);
        received += read;
        received_.store(received);
    }
    DWORD digestSize = sizeof(result.digest);
    CryptGetHashParam(hash.get(), HP_HASHVAL, result.digest.data(), &digestSize, 0);
    result.outcome = HttpOutcome::Received;
    return true;
}

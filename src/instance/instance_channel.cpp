#include "instance/instance_channel.h"

#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "instance/instance_block.h"
#include "instance/instance_namespace.h"
#include "instance/machine_shutdown.h"
#include "support/filesystem.h"
#include "support/system_text.h"
#include "support/trace.h"
#include "texts/messages.h"

struct InstanceChannel::Shared {
    Text key;               // as the kernel objects are named: in the channel's namespace
    UINT requestMessage = 0;
    std::string mainClass;  // slash form, in the ANSI code page FindClass takes
    bool keepAttached = false;
    UniqueHandle ready;     // may be empty: then requests do not wait
    UniqueHandle closing;   // set by close, the one way the listener ends
    std::atomic<LaterStartServer> serve{nullptr};  // set before vm
    std::atomic<JavaVM*> vm{nullptr};
    std::atomic<bool> ending{false};  // the machine has ended: nothing is delivered any more
};

namespace {

using Shared = InstanceChannel::Shared;

// How long a start waits for the one before it to decide; past that it goes on unordered rather
// than hang behind a start that hangs.
constexpr DWORD kStartOrderTimeout = 30000;
// How long a later start waits for an instance that said it is ending to end (its shutdown hooks, an
// archive written at exit); past that it says it cannot hand over rather than wait without end.
constexpr DWORD kEndingTimeout = 30000;

// Holds a named mutex from a successful wait until destruction. An abandoned mutex (its holder
// died) is held all the same.
class MutexHold {
public:
    MutexHold(SECURITY_ATTRIBUTES* security, const Text& name) : mutex_(CreateMutexW(security, FALSE, name.c_str())) {
        if (!mutex_) return;
        const DWORD result = WaitForSingleObject(mutex_.get(), kStartOrderTimeout);
        held_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    }
    ~MutexHold() {
        if (held_) ReleaseMutex(mutex_.get());
    }
    MutexHold(const MutexHold&) = delete;
    MutexHold& operator=(const MutexHold&) = delete;

private:
    UniqueHandle mutex_;
    bool held_ = false;
};

struct ListenerStart {
    std::shared_ptr<Shared> shared;
    HANDLE queueReady;  // the opening thread's, which waits for it
};

struct Request {
    std::shared_ptr<Shared> shared;
    DWORD requester;
    TextList arguments;
    UniqueHandle mapping;  // held, so that the request's state can still be written
    UniqueView view;
};

// Runs `main` on a thread of its own, which takes `parameter` over and frees it; when no thread
// starts, the parameter is freed here.
template <typename Parameter>
UniqueHandle startThread(LPTHREAD_START_ROUTINE main, std::unique_ptr<Parameter> parameter, DWORD* id = nullptr) {
    UniqueHandle thread(CreateThread(nullptr, 0, main, parameter.get(), 0, id));
    if (thread) parameter.release();
    return thread;
}

// A thread owns a message queue from its first call of a message function on; a message posted to it
// before that is refused.
void ownMessageQueue() {
    MSG message;
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
}

volatile LONG* requestState(void* view) {
    return reinterpret_cast<volatile LONG*>(static_cast<std::uint8_t*>(view) + kRequestTakenOffset);
}

// The arguments of `request.requester`'s request, exactly once: a request whose writer has ended is
// gone, and one already taken (a message repeated for a reused thread identifier) is not taken again.
bool takeRequest(const Text& key, Request& request) {
    request.mapping.reset(
        OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, requestName(key, request.requester).c_str()));
    if (!request.mapping) return false;
    request.view.reset(MapViewOfFile(request.mapping.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0));
    if (!request.view) return false;
    MEMORY_BASIC_INFORMATION region{};
    if (!VirtualQuery(request.view.get(), &region, sizeof region)) return false;
    if (InterlockedCompareExchange(requestState(request.view.get()), kRequestClaimed, kRequestUnread) != kRequestUnread) {
        return false;
    }
    return decodeRequest(static_cast<std::uint8_t*>(request.view.get()), region.RegionSize, request.arguments);
}

void postEnding(const Request& request) {
    VORNIC_TRACE(L"single instance: ending: thread " + decimalText(request.requester) + L" runs its own command line");
    PostThreadMessageW(request.requester, request.shared->requestMessage, 0, kReplyEnding);
}

void postReply(void* context, jint code) {
    const auto& request = *static_cast<const Request*>(context);
    PostThreadMessageW(request.requester, request.shared->requestMessage,
                       static_cast<WPARAM>(static_cast<std::uint32_t>(code)), 0);
}

DWORD WINAPI workerMain(void* parameter) {
    const std::unique_ptr<Request> request(static_cast<Request*>(parameter));
    const Shared& shared = *request->shared;
    if (shared.ready) WaitForSingleObject(shared.ready.get(), INFINITE);
    JavaVM* vm = shared.vm.load();
    // Without a ready event the request may come before main: it stays undelivered, and its start runs
    // it once this instance has ended.
    if (!vm) return 1;
    JNIEnv* env = nullptr;
    if (shared.ending.load() || vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK) {
        postEnding(*request);
        return 1;
    }
    if (machineShuttingDown(env)) {
        postEnding(*request);
        if (!shared.keepAttached) vm->DetachCurrentThread();
        return 1;
    }
    InterlockedExchange(requestState(request->view.get()), kRequestDelivered);
    request->view.reset();
    request->mapping.reset();
    const LaterStartServer serve = shared.serve.load();
    const bool served = serve(env, shared.mainClass.c_str(), request->arguments, postReply, request.get());
    // IBM runtimes keep the Java thread attached too.
    if (!shared.keepAttached) vm->DetachCurrentThread();
    return served ? 0 : 1;
}

void serveRequest(const std::shared_ptr<Shared>& shared, DWORD requester) {
    // Read at once, so that the arguments are this process's whatever the Java side still waits for.
    auto request = std::make_unique<Request>();
    request->shared = shared;
    request->requester = requester;
    if (!takeRequest(shared->key, *request)) return;
    startThread(workerMain, std::move(request));
}

DWORD WINAPI listenerMain(void* parameter) {
    std::shared_ptr<Shared> shared;
    {
        const std::unique_ptr<ListenerStart> start(static_cast<ListenerStart*>(parameter));
        shared = start->shared;
        ownMessageQueue();
        SetEvent(start->queueReady);
    }
    HANDLE closing = shared->closing.get();
    for (;;) {
        MSG message;
        // Any process may post to this thread, WM_QUIT included: only the owner's event ends it.
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == shared->requestMessage) serveRequest(shared, static_cast<DWORD>(message.wParam));
        }
        const DWORD woke = MsgWaitForMultipleObjects(1, &closing, FALSE, INFINITE, QS_ALLPOSTMESSAGE);
        if (woke != WAIT_OBJECT_0 + 1) return 0;
    }
}

// The image file a process runs, as the system names it; false when it cannot be read.
bool processImagePath(HANDLE process, Text& path) {
    std::vector<wchar_t> buffer(32768);
    auto size = static_cast<DWORD>(buffer.size());
    if (!QueryFullProcessImageNameW(process, 0, buffer.data(), &size)) return false;
    path.assign(buffer.data(), size);
    return true;
}

// Whether `process` runs the image this one runs. Both paths come from the same call, so they have
// the same form; the file system ignores case, and so does the comparison.
bool runsThisExecutable(HANDLE process) {
    Text own, other;
    if (!processImagePath(GetCurrentProcess(), own) || !processImagePath(process, other)) return false;
    const auto ownLength = static_cast<int>(own.size());
    const auto otherLength = static_cast<int>(other.size());
    return CompareStringOrdinal(own.c_str(), ownLength, other.c_str(), otherLength, TRUE) == CSTR_EQUAL;
}

}  // namespace

InstanceChannel::InstanceChannel() = default;

InstanceChannel::~InstanceChannel() { close(); }

bool InstanceChannel::open(const InstanceSettings& settings, const TextList& arguments) {
    if (!settings.singleInstance) return true;

    Text exePath;
    if (!getModulePath(nullptr, exePath)) return true;
    const Text key = instanceKey(exePath);
    // Opened once: a start that runs the application after an ending instance opens the channel again.
    if (!namesOpen_ && !(namesOpen_ = names_.open())) {
        VORNIC_TRACE(L"single instance: the channel cannot be opened for this user alone: running on its own");
        return true;
    }

    // Starts of one executable decide one after the other, and the first lets the next one in only
    // once its header is complete and its listener owns a queue: files opened together (one start
    // each) all reach the instance that the first of them became.
    const MutexHold order(names_.attributes(), names_.objectName(startMutexName(key)));
    SetLastError(ERROR_SUCCESS);
    UniqueHandle mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, names_.attributes(), PAGE_READWRITE, 0,
                                            sizeof(InstanceHeader), names_.objectName(key).c_str()));
    const bool first = GetLastError() == ERROR_SUCCESS;
    mapping_ = std::move(mapping);
    if (!mapping_) return true;
    view_.reset(MapViewOfFile(mapping_.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0));
    if (!view_) return true;
    return first ? openFirst(settings, key) : handOver(settings, arguments, key);
}

bool InstanceChannel::openFirst(const InstanceSettings& settings, const Text& key) {
    // Not make_shared: without type information its control block needs the library's exception
    // runtime.
    std::shared_ptr<Shared> shared(new Shared());
    shared->key = names_.objectName(key);
    shared->mainClass = toAnsiText(settings.mainClass);
    shared->keepAttached = settings.keepAttached;
    // Both only for this process's threads: unnamed, so that no other process can set them.
    shared->ready.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    shared->closing.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!shared->closing) return true;
    shared->requestMessage = RegisterWindowMessageW(key.c_str());
    if (shared->requestMessage == 0) return true;

    auto* header = static_cast<InstanceHeader*>(view_.get());
    header->requestMessage = shared->requestMessage;
    header->ownerProcessId = GetCurrentProcessId();

    UniqueHandle queueReady(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!queueReady) return true;
    listener_ = startThread(listenerMain, std::make_unique<ListenerStart>(ListenerStart{shared, queueReady.get()}),
                            &listenerId_);
    if (!listener_) return true;
    WaitForSingleObject(queueReady.get(), INFINITE);
    header->listenerThreadId = listenerId_;
    VORNIC_TRACE(L"single instance: first instance, later starts hand their command lines here");
    shared_ = std::move(shared);
    active_ = true;
    firstInstance_ = true;
    return true;
}

bool InstanceChannel::handOver(const InstanceSettings& settings, const TextList& arguments, const Text& key) {
    // Complete by now: the first instance fills it before it lets later starts in.
    InstanceHeader header{};
    std::memcpy(&header, view_.get(), sizeof header);
    // Only a process that runs this executable is the running instance. Any other one named here
    // (one that ended, whose identifier went to another program, or a program that made the block
    // to receive the command lines) is not handed anything: this start becomes the first instance.
    // Opened before the request goes out, so that its end is seen however soon it comes; held, so
    // that its identifier cannot pass to another process meanwhile.
    firstProcess_.reset(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, header.ownerProcessId));
    if (!firstProcess_ || !runsThisExecutable(firstProcess_.get())) {
        firstProcess_.reset();
        VORNIC_TRACE(L"single instance: process " + decimalText(header.ownerProcessId) +
                     L", named by the channel, does not run this executable: this start takes the channel over");
        return openFirst(settings, key);
    }
    active_ = true;
    firstInstance_ = false;
    const DWORD owner = header.ownerProcessId;
    // The first instance's set-up failed after it had made the block.
    if (header.listenerThreadId == 0 || header.requestMessage == 0) return cannotHandOver(owner, L"it does not listen");
    // The listener must be a thread of that process; held, like the process, until the request is out.
    UniqueHandle listener(OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, header.listenerThreadId));
    if (!listener || GetProcessIdOfThread(listener.get()) != owner) {
        return cannotHandOver(owner, L"thread " + decimalText(header.listenerThreadId) + L" is not its listener");
    }

    std::vector<std::uint8_t> bytes;
    if (!encodeRequest(arguments, bytes)) return cannotHandOver(owner, L"the command line is too long");
    const DWORD self = GetCurrentThreadId();
    UniqueHandle request(CreateFileMappingW(INVALID_HANDLE_VALUE, names_.attributes(), PAGE_READWRITE, 0,
                                            static_cast<DWORD>(bytes.size()),
                                            requestName(names_.objectName(key), self).c_str()));
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    request_ = std::move(request);
    // An existing one belongs to an ended start whose thread identifier this one got: not ours to fill.
    if (!request_ || existed) return cannotHandOver(owner, L"its request cannot be made");
    {
        UniqueView view(MapViewOfFile(request_.get(), FILE_MAP_WRITE, 0, 0, 0));
        if (!view) return cannotHandOver(owner, L"its request cannot be made");
        std::memcpy(view.get(), bytes.data(), bytes.size());
    }

    ownMessageQueue();
    replyMessage_ = header.requestMessage;
    if (!PostThreadMessageW(header.listenerThreadId, header.requestMessage, self, 0)) {
        return cannotHandOver(owner, L"the request cannot be posted");
    }
    VORNIC_TRACE(L"single instance: command line handed to the running instance, process " + decimalText(owner));
    return true;
}

bool InstanceChannel::cannotHandOver(DWORD owner, const Text& why) const {
    VORNIC_TRACE(L"single instance: cannot hand the command line to the running instance, process " +
                 decimalText(owner) + L": " + why);
    showMessageId(kMsgHandOverFailed, {});
    return false;
}

bool InstanceChannel::takeReply(int& code, bool& ending) const {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message != replyMessage_) continue;
        code = static_cast<int>(static_cast<std::uint32_t>(message.wParam));
        ending = message.lParam == static_cast<LPARAM>(kReplyEnding);
        return true;
    }
    return false;
}

bool InstanceChannel::requestDelivered() const {
    UniqueView view(MapViewOfFile(request_.get(), FILE_MAP_READ, 0, 0, 0));
    return view && *requestState(view.get()) == static_cast<LONG>(kRequestDelivered);
}

bool InstanceChannel::waitForReply(int& code) {
    HANDLE process = firstProcess_.get();
    code = 0;
    bool ending = false;
    for (;;) {
        if (takeReply(code, ending) && !ending) {
            VORNIC_TRACE(L"single instance: the running instance answered " + decimalText(code));
            return true;
        }
        if (ending) break;
        // One wait for both: a message in the queue, or the first instance's end.
        const DWORD woke = MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLPOSTMESSAGE);
        if (woke == WAIT_OBJECT_0 + 1) continue;
        // It ended (or cannot be waited for): a reply it posted before still wins.
        if (takeReply(code, ending) && !ending) {
            VORNIC_TRACE(L"single instance: the running instance answered " + decimalText(code) + L" and ended");
            return true;
        }
        DWORD exitCode = 0;
        if (woke != WAIT_OBJECT_0 || !GetExitCodeProcess(process, &exitCode)) {
            VORNIC_TRACE(L"single instance: the running instance's end cannot be read");
            code = -1;
            return true;
        }
        if (!ending && requestDelivered()) {
            VORNIC_TRACE(L"single instance: the running instance ended unanswered, with " +
                         decimalText(static_cast<int>(exitCode)));
            code = static_cast<int>(exitCode);
            return true;
        }
        VORNIC_TRACE(L"single instance: the running instance ended without the command line: running it here");
        return false;
    }
    VORNIC_TRACE(L"single instance: the running instance is ending: running here after its end");
    if (WaitForSingleObject(process, kEndingTimeout) == WAIT_OBJECT_0) return false;
    code = -1;
    cannotHandOver(GetProcessId(process), L"it did not end");
    return true;
}

void InstanceChannel::applicationEnded() {
    if (shared_) shared_->ending.store(true);
}

void InstanceChannel::signalReady(JavaVM* vm, LaterStartServer serve) {
    if (!shared_) return;
    shared_->serve.store(serve);
    shared_->vm.store(vm);
    if (shared_->ready) SetEvent(shared_->ready.get());
}

void InstanceChannel::close() {
    if (listener_) {
        SetEvent(shared_->closing.get());
        WaitForSingleObject(listener_.get(), INFINITE);
        listener_.reset();
    }
    view_.reset();
    mapping_.reset();
    request_.reset();
    firstProcess_.reset();
    shared_.reset();
    active_ = false;
}

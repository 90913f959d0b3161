#include "harness.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <map>

TempFolder::TempFolder() {
    wchar_t base[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, base);
    WText root(base, length);
    static std::atomic<unsigned> counter{0};
    for (;;) {
        path_ = root + L"vornic-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++) + L"\\";
        if (CreateDirectoryW(path_.c_str(), nullptr)) break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
}

TempFolder::~TempFolder() { removeTree(path_); }

bool removeTree(const WText& folder) {
    WText base = folder;
    if (!base.empty() && base.back() != L'\\') base += L'\\';
    const WText prefixed = base.size() >= 248 && base.compare(0, 4, L"\\\\?\\") != 0 ? L"\\\\?\\" + base : base;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((prefixed + L"*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const WText name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(prefixed + name);
            } else {
                SetFileAttributesW((prefixed + name).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW((prefixed + name).c_str());
            }
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    return RemoveDirectoryW(prefixed.c_str()) != 0;
}

bool writeFileBytes(const WText& path, const std::string& bytes) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool readFileBytes(const WText& path, std::string& bytes) {
    bytes.clear();
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
    return true;
}

bool writeUtf16File(const WText& path, const WText& text) {
    std::string bytes("\xFF\xFE", 2);
    for (wchar_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>((unit >> 8) & 0xFF);
    }
    return writeFileBytes(path, bytes);
}

WText thisProgramPath() {
    std::vector<wchar_t> buffer(32768);
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    return WText(buffer.data(), length);
}

WText systemProgram(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    GetSystemDirectoryW(folder, MAX_PATH);
    return WText(folder) + L"\\" + name;
}

WText besideThisProgram(const WText& name) {
    const WText self = thisProgramPath();
    return self.substr(0, self.rfind(L'\\') + 1) + name;
}

WText buildTreePath(const WText& relative) {
    const WText joined = besideThisProgram(relative);
    std::vector<wchar_t> full(joined.size() + 1);
    const DWORD length = GetFullPathNameW(joined.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    return length > 0 && length < full.size() ? WText(full.data(), length) : joined;
}

bool makeFolders(const WText& path) {
    for (size_t at = path.find(L'\\', 3); at != WText::npos; at = path.find(L'\\', at + 1)) {
        CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
    }
    return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

namespace {

// This process's environment with `changes` applied, as a block for CreateProcessW.
WText environmentBlock(const std::vector<WText>& changes) {
    std::map<WText, WText> variables;
    auto keyOf = [](const WText& name) {
        WText key = name;
        std::transform(key.begin(), key.end(), key.begin(), [](wchar_t c) { return static_cast<wchar_t>(towupper(c)); });
        return key;
    };
    std::map<WText, WText> names;
    if (wchar_t* block = GetEnvironmentStringsW()) {
        for (const wchar_t* entry = block; *entry; entry += wcslen(entry) + 1) {
            const WText text = entry;
            const size_t equals = text.find(L'=', 1);
            if (equals == WText::npos) continue;
            variables[keyOf(text.substr(0, equals))] = text;
        }
        FreeEnvironmentStringsW(block);
    }
    for (const WText& change : changes) {
        const size_t equals = change.find(L'=', 1);
        if (equals != WText::npos) variables[keyOf(change.substr(0, equals))] = change;
        else variables.erase(keyOf(change));  // a bare name removes the variable
    }
    WText result;
    for (const auto& entry : variables) {
        result += entry.second;
        result += L'\0';
    }
    result += L'\0';
    return result;
}

}  // namespace

ChildProcess ChildProcess::start(const WText& application, const WText& commandLine, const WText& currentFolder,
                                 const std::vector<WText>& environment, const StartOptions& options) {
    ChildProcess child;
    WText line = commandLine;
    WText block;
    if (!environment.empty()) block = environmentBlock(environment);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    // Only a child given standard handles inherits: the test makes just those handles inheritable.
    const bool handles = options.input || options.output || options.error;
    if (handles) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = options.input;
        startup.hStdOutput = options.output;
        startup.hStdError = options.error;
    }
    PROCESS_INFORMATION info{};
    auto create = [&] {
        WText copy = line;  // CreateProcessW may write into the line it is given
        return CreateProcessW(application.c_str(), copy.data(), nullptr, nullptr, handles ? TRUE : FALSE,
                              options.flags | (block.empty() ? 0 : CREATE_UNICODE_ENVIRONMENT),
                              block.empty() ? nullptr : block.data(),
                              currentFolder.empty() ? nullptr : currentFolder.c_str(), &startup, &info);
    };
    // Wine's CreateProcessW fails now and then with ERROR_INTERNAL_ERROR on a loaded machine, for a
    // program that starts at the next try: a few more tries, each after a short pause.
    BOOL created = create();
    for (int retry = 0; !created && GetLastError() == ERROR_INTERNAL_ERROR && retry < 5; ++retry) {
        Sleep(static_cast<DWORD>(50 * (retry + 1)));
        created = create();
    }
    if (created) {
        child.process_.reset(info.hProcess);
        CloseHandle(info.hThread);
        child.id_ = info.dwProcessId;
        registerChild(info.hProcess);
    } else {
        // Said where it happens: the test then fails on a child that never ran.
        std::fwprintf(stderr, L"cannot start %ls: error %lu\n", application.c_str(), GetLastError());
    }
    return child;
}

ChildProcess::~ChildProcess() {
    if (!process_) return;
    terminate();
    unregisterChild(process_.get());
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept : process_(std::move(other.process_)), id_(other.id_) {
    other.id_ = 0;
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        if (process_) {
            terminate();
            unregisterChild(process_.get());
        }
        process_ = std::move(other.process_);
        id_ = other.id_;
        other.id_ = 0;
    }
    return *this;
}

void ChildProcess::terminate() {
    if (!process_ || WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0) return;
    TerminateProcess(process_.get(), 0xDEAD);
    WaitForSingleObject(process_.get(), scaledMilliseconds(5000));
}

bool ChildProcess::waitForExit(DWORD milliseconds, DWORD& exitCode) {
    exitCode = 0;
    if (!process_) return false;
    WaitingFor marker(L"process " + std::to_wstring(id_) + L" to end (bound " + std::to_wstring(milliseconds) + L" ms)");
    if (WaitForSingleObject(process_.get(), milliseconds) != WAIT_OBJECT_0) {
        terminate();
        return false;
    }
    return GetExitCodeProcess(process_.get(), &exitCode) != 0;
}

namespace {

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK collectWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window)) search->found.push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> topLevelWindowsOf(DWORD processId) {
    WindowSearch search{processId, {}};
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

WText windowTextOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    WText text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

WText controlTextOf(HWND control) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 10000, &length)) return WText();
    WText text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL,
                             10000, &copied))
        return WText();
    text.resize(std::min<size_t>(copied, length));
    return text;
}

WText windowClassOf(HWND window) {
    wchar_t name[256];
    const int length = GetClassNameW(window, name, 256);
    return WText(name, length > 0 ? static_cast<size_t>(length) : 0);
}

WText messageBoxText(HWND box) {
    HWND text = GetDlgItem(box, 0xFFFF);
    return text ? windowTextOf(text) : WText();
}

void pressButton(HWND dialog, int commandId) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(commandId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, commandId)));
}

namespace {

BOOL CALLBACK findTree(HWND window, LPARAM found) {
    if (windowClassOf(window) != WC_TREEVIEWW) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// A tree view of another process, read through a block of memory in that process.
class RemoteTree {
public:
    explicit RemoteTree(HWND tree) : tree_(tree) {
        DWORD processId = 0;
        GetWindowThreadProcessId(tree, &processId);
        process_.reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
        if (process_)
            block_ = VirtualAllocEx(process_.get(), nullptr, kBlockSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteTree() {
        if (block_) VirtualFreeEx(process_.get(), block_, 0, MEM_RELEASE);
    }
    bool usable() const { return block_ != nullptr; }

    WText text(HTREEITEM item) {
        auto* remoteText = reinterpret_cast<wchar_t*>(static_cast<char*>(block_) + sizeof(TVITEMW));
        TVITEMW request{};
        request.mask = TVIF_TEXT;
        request.hItem = item;
        request.pszText = remoteText;
        request.cchTextMax = kTextUnits;
        wchar_t text[kTextUnits + 1] = {};
        if (!WriteProcessMemory(process_.get(), block_, &request, sizeof request, nullptr) ||
            !send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(block_)) ||
            !ReadProcessMemory(process_.get(), remoteText, text, kTextUnits * sizeof(wchar_t), nullptr))
            return WText();
        return text;
    }
    // The children of `item` (the top level for null), opened first so that the browser fills them in.
    // The browser may add them a few at a time: the list counts once it stops growing.
    std::vector<HTREEITEM> children(HTREEITEM item) {
        if (item) send(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
        std::vector<HTREEITEM> found = listChildren(item);
        // Expanding fills the level before the message returns; two quiet looks confirm it.
        for (int quiet = 0; quiet < 2;) {
            Sleep(50);
            std::vector<HTREEITEM> again = listChildren(item);
            quiet = again.size() == found.size() ? quiet + 1 : 0;
            found = std::move(again);
        }
        return found;
    }
    bool hasItems() { return send(TVM_GETNEXTITEM, TVGN_ROOT, 0) != 0; }
    bool select(HTREEITEM item) { return send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)) != 0; }

private:
    std::vector<HTREEITEM> listChildren(HTREEITEM item) {
        std::vector<HTREEITEM> found;
        auto child = reinterpret_cast<HTREEITEM>(
            item ? send(TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)) : send(TVM_GETNEXTITEM, TVGN_ROOT, 0));
        for (; child; child = reinterpret_cast<HTREEITEM>(send(TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child))))
            found.push_back(child);
        return found;
    }

    static constexpr SIZE_T kTextUnits = 260;
    static constexpr SIZE_T kBlockSize = sizeof(TVITEMW) + (kTextUnits + 1) * sizeof(wchar_t);

    LRESULT send(UINT message, WPARAM wParam, LPARAM lParam) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(tree_, message, wParam, lParam, SMTO_NORMAL, scaledMilliseconds(20000), &result)) return 0;
        return static_cast<LRESULT>(result);
    }

    HWND tree_;
    UniqueHandle process_;
    void* block_ = nullptr;
};

bool sameName(const WText& a, const WText& b) { return _wcsicmp(a.c_str(), b.c_str()) == 0; }

}  // namespace

bool waitForFolderTree(HWND browser, DWORD milliseconds) {
    WaitingFor marker(L"the folder browser to fill its tree");
    return waitUntil(
        [browser] {
            HWND treeWindow = nullptr;
            EnumChildWindows(browser, findTree, reinterpret_cast<LPARAM>(&treeWindow));
            DWORD_PTR root = 0;
            return treeWindow &&
                   SendMessageTimeoutW(treeWindow, TVM_GETNEXTITEM, TVGN_ROOT, 0, SMTO_NORMAL, 1000, &root) && root;
        },
        milliseconds, 20);
}

bool selectInFolderBrowser(HWND browser, const WText& folder, std::string* why) {
    const auto fail = [why](const std::string& reason) {
        if (why) *why = reason;
        return false;
    };
    HWND treeWindow = nullptr;
    EnumChildWindows(browser, findTree, reinterpret_cast<LPARAM>(&treeWindow));
    if (!treeWindow) return fail("no folder tree");
    if (folder.size() < 2 || folder[1] != L':') return fail("not a drive-letter path");
    RemoteTree tree(treeWindow);
    if (!tree.usable()) return fail("no memory in the browser's process");
    // The browser fills its tree after it shows.
    {
        WaitingFor marker(L"the folder browser to fill its tree");
        if (!waitUntil([&] { return tree.hasItems(); }, scaledMilliseconds(kWindowWaitMilliseconds), 20))
            return fail("the folder tree stayed empty");
    }

    // The drive is shown by its letter ("C:", "Local Disk (C:)"), one or two levels below the top.
    const WText drive = folder.substr(0, 2);
    const auto isDrive = [&](HTREEITEM item) { return tree.text(item).find(drive) != WText::npos; };
    HTREEITEM current = nullptr;
    for (HTREEITEM top : tree.children(nullptr)) {
        const std::vector<HTREEITEM> level1 = tree.children(top);
        for (HTREEITEM item : level1) {
            if (!current && isDrive(item)) current = item;
        }
        for (size_t i = 0; !current && i < level1.size(); ++i) {
            for (HTREEITEM item : tree.children(level1[i])) {
                if (!current && isDrive(item)) current = item;
            }
        }
        if (current) break;
    }
    if (!current) {
        std::string seen;
        for (HTREEITEM top : tree.children(nullptr)) {
            seen += " [" + utf8Of(tree.text(top)) + "]";
            for (HTREEITEM item : tree.children(top)) seen += " " + utf8Of(tree.text(item));
        }
        return fail("no drive " + utf8Of(drive) + " in the tree:" + seen);
    }

    size_t start = 2;
    while (start < folder.size()) {
        if (folder[start] == L'\\') {
            ++start;
            continue;
        }
        const size_t end = std::min(folder.find(L'\\', start), folder.size());
        const WText name = folder.substr(start, end - start);
        HTREEITEM next = nullptr;
        for (HTREEITEM child : tree.children(current)) {
            if (sameName(tree.text(child), name)) next = child;
            if (next) break;
        }
        if (!next) {
            std::string seen;
            for (HTREEITEM child : tree.children(current)) seen += " " + utf8Of(tree.text(child));
            return fail("no " + utf8Of(name) + " in " + utf8Of(tree.text(current)) + ":" + seen);
        }
        current = next;
        start = end;
    }
    return tree.select(current) || fail("the tree did not select " + utf8Of(tree.text(current)));
}

WindowAnswerer::WindowAnswerer(DWORD processId, int answerId)
    : processId_(processId), answerId_(answerId), thread_([this] { watch(); }) {}

WindowAnswerer::~WindowAnswerer() {
    stop_ = true;
    thread_.join();
}

std::vector<SeenWindow> WindowAnswerer::seen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
}

void WindowAnswerer::watch() {
    while (!stop_) {
        for (HWND window : topLevelWindowsOf(processId_)) {
            std::lock_guard<std::mutex> lock(mutex_);
            if (std::find(answered_.begin(), answered_.end(), window) != answered_.end()) continue;
            const DWORD shownAfter = GetTickCount() - started_;
            // Give a box a moment to fill in its controls before reading it.
            Sleep(50);
            SeenWindow seen{windowClassOf(window), windowTextOf(window), messageBoxText(window), shownAfter};
            if (seen.text.empty()) seen.text = seen.caption;
            seen_.push_back(seen);
            answered_.push_back(window);
            pressButton(window, answerId_);
        }
        // Each look lists every window of the desktop that all tests share.
        Sleep(100);
    }
}

bool noProcessRuns(const WText& path) {
    const WText name = path.substr(path.rfind(L'\\') + 1);
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) {
        snapshot.release();
        return false;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (_wcsicmp(entry.szExeFile, name.c_str()) == 0) return false;
    }
    return true;
}

bool noProcessRunsFrom(const WText& path) {
    const UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        const UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        wchar_t image[MAX_PATH * 2] = {};
        DWORD length = MAX_PATH * 2;
        if (process && QueryFullProcessImageNameW(process.get(), 0, image, &length) && _wcsicmp(image, path.c_str()) == 0)
            return false;
    }
    return true;
}

Launch runAnswering(const WText& application, const WText& commandLine, int answerId, DWORD timeout,
                    const WText& currentFolder, const std::vector<WText>& environment) {
    Launch result;
    const DWORD started = GetTickCount();
    ChildProcess child = ChildProcess::start(application, commandLine, currentFolder, environment);
    if (!child.started()) return result;
    WindowAnswerer answerer(child.id(), answerId);
    result.finished = child.waitForExit(timeout, result.exitCode);
    result.milliseconds = GetTickCount() - started;
    result.windows = answerer.seen();
    return result;
}

std::vector<WText> standinEnvironment(const WText& folder, const std::vector<WText>& more) {
    std::vector<WText> all = {L"APPDATA=" + folder + L"appdata", L"VORNIC_STANDIN_RECORD=" + folder + L"record.txt",
                              L"VORNIC_STANDIN_SCRIPT=" + folder + L"script.txt"};
    all.insert(all.end(), more.begin(), more.end());
    return all;
}

std::string readText(const WText& path) {
    std::string bytes;
    readFileBytes(path, bytes);
    return bytes;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }


bool copyExceptionTemplate(const WText& exe) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(231), MAKEINTRESOURCEW(5));  // RT_DIALOG
    if (!found) return false;
    void* bytes = LockResource(LoadResource(nullptr, found));
    HANDLE update = BeginUpdateResourceW(exe.c_str(), FALSE);
    if (!update) return false;
    const bool ok = UpdateResourceW(update, MAKEINTRESOURCEW(5), MAKEINTRESOURCEW(231), 0, bytes,
                                    SizeofResource(nullptr, found));
    return EndUpdateResourceW(update, !ok) && ok;
}

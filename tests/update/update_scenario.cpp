#include <gtest/gtest.h>

#include "update_scenario.h"

#include <winioctl.h>

#include <algorithm>

#include "package_resources.h"
#include "support/sha256.h"
#include "update/update_manifest.h"

const WText kExeName = L"updated-app.exe";

namespace {

const Text kUpgradeCode = L"{2E7B9C41-58A3-4F0D-9B6E-1C4A7D3F8E25}";
const std::map<unsigned, Text> kStrings = {
    {211, L"[211] cannot name %s"}, {215, L"[215] no class %s"}, {252, L"[252] %d %d"}, {253, L"[253] %s"}};
const WText kStandin = WIDE_STANDIN_RUNTIME;

std::string utf16Bytes(const WText& text) {
    std::string bytes("\xFF\xFE", 2);
    for (const wchar_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>((unit >> 8) & 0xFF);
    }
    return bytes;
}

void hashFolder(const WText& root, const WText& relative, Hashes& hashes) {
    WIN32_FIND_DATAW entry;
    const HANDLE search = FindFirstFileW((root + relative + L"*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const WText name = entry.cFileName;
        if (name == L"." || name == L".." || (relative.empty() && name == L"update")) continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) hashFolder(root, relative + name + L"\\", hashes);
        else hashes[relative + name] = sha256Of(readText(root + relative + name));
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

void writeInto(const WText& folder, const Version& version) {
    for (const auto& [path, bytes] : version) {
        const WText file = folder + path;
        EXPECT_TRUE(makeFolders(file.substr(0, file.rfind(L'\\') + 1)));
        EXPECT_TRUE(writeFileBytes(file, bytes));
    }
}

}  // namespace

std::string sha256Of(const std::string& bytes) {
    Sha256 hash;
    hash.update(bytes.data(), bytes.size());
    return hash.finishHex();
}

Hashes hashesOf(const Version& version) {
    Hashes hashes;
    for (const auto& [path, bytes] : version) hashes[path] = sha256Of(bytes);
    return hashes;
}

std::size_t countOf(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

bool isFile(const WText& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool isFolder(const WText& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool makeJunction(const WText& link, const WText& target) {
    if (!CreateDirectoryW(link.c_str(), nullptr)) return false;
    const HANDLE folder = CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return false;
    const WText substitute = L"\\??\\" + target;
    const WORD substituteBytes = static_cast<WORD>(substitute.size() * sizeof(wchar_t));
    // REPARSE_DATA_BUFFER for a mount point: tag, data length, reserved, then the two names' offsets
    // and lengths, then the substitute name and an empty print name, each ending with a NUL.
    std::vector<WORD> buffer(8 + substitute.size() + 2, 0);
    DWORD* tag = reinterpret_cast<DWORD*>(buffer.data());
    *tag = IO_REPARSE_TAG_MOUNT_POINT;
    buffer[2] = static_cast<WORD>(8 + substituteBytes + 4);
    buffer[4] = 0;
    buffer[5] = substituteBytes;
    buffer[6] = static_cast<WORD>(substituteBytes + 2);
    buffer[7] = 0;
    std::copy(substitute.begin(), substitute.end(), reinterpret_cast<wchar_t*>(buffer.data() + 8));
    DWORD returned = 0;
    const BOOL made = DeviceIoControl(folder, FSCTL_SET_REPARSE_POINT, buffer.data(), 8 + buffer[2], nullptr, 0,
                                      &returned, nullptr);
    const DWORD error = GetLastError();
    CloseHandle(folder);
    if (!made) RemoveDirectoryW(link.c_str());
    SetLastError(error);
    return made != FALSE;
}

BoxAnswerer::BoxAnswerer(WText folder) : folder_(std::move(folder)), thread_([this] { watch(); }) {}

BoxAnswerer::~BoxAnswerer() {
    stop_ = true;
    thread_.join();
}

std::vector<WText> BoxAnswerer::texts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
}

BOOL CALLBACK BoxAnswerer::visit(HWND window, LPARAM self) {
    reinterpret_cast<BoxAnswerer*>(self)->answer(window);
    return TRUE;
}

void BoxAnswerer::answer(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    wchar_t image[MAX_PATH * 2] = {};
    DWORD length = MAX_PATH * 2;
    const bool known = process && QueryFullProcessImageNameW(process, 0, image, &length);
    if (process) CloseHandle(process);
    if (!known || _wcsnicmp(image, folder_.c_str(), folder_.size()) != 0 || !IsWindowVisible(window)) return;
    const WText text = messageBoxText(window);
    if (text.empty()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (std::find(answered_.begin(), answered_.end(), window) != answered_.end()) return;
        answered_.push_back(window);
        texts_.push_back(text);
    }
    pressButton(window, IDOK);
}

void BoxAnswerer::watch() {
    while (!stop_) {
        EnumWindows(visit, reinterpret_cast<LPARAM>(this));
        // Each look asks for every window's process on the desktop that all tests share.
        Sleep(100);
    }
}

UpdateScenario::UpdateScenario() {
    const WText runtime = root() + L"runtime\\";
    EXPECT_TRUE(makeFolders(runtime + L"bin\\server"));
    EXPECT_TRUE(CopyFileW((kStandin + L"bin\\java.dll").c_str(), (runtime + L"bin\\java.dll").c_str(), FALSE));
    EXPECT_TRUE(CopyFileW((kStandin + L"bin\\server\\jvm.dll").c_str(),
                          (runtime + L"bin\\server\\jvm.dll").c_str(), FALSE));
    EXPECT_TRUE(makeFolders(app()));
}

std::string UpdateScenario::launcher(const Text& application, const Text& mainClass) const {
    const WText packaging = root() + L"packaging.exe";
    EXPECT_TRUE(CopyFileW(besideThisProgram(L"vornicw.exe").c_str(), packaging.c_str(), FALSE));
    PackagedResources resources;
    resources.settings(kUpgradeCode, L"second",
                       L"[Java Runtime Environment]\r\nMain Class=" + mainClass +
                           L"\r\n[Class Path]\r\nClass Path=app.jar\r\n[Application]\r\nRestart Exit Code=42\r\n" +
                           application);
    resources.strings = kStrings;
    EXPECT_TRUE(resources.writeInto(packaging));
    const std::string bytes = readText(packaging);
    DeleteFileW(packaging.c_str());
    return bytes;
}

Version UpdateScenario::version(const std::string& script, const std::string& jar, bool runtimeThere) const {
    const WText runtime = root() + (runtimeThere ? L"runtime\\" : L"no-runtime\\");
    return {{kExeName, launcher()},
            {L"updated-app.ini", utf16Bytes(L"[Product Information]\r\nUpgrade Code=" + kUpgradeCode +
                                            L"\r\n[Java Runtime Environment]\r\nJRE Path=" + runtime + L"\r\n")},
            {L"app.jar", jar},
            {L"script.txt", script}};
}

void UpdateScenario::install(const Version& version) const { writeInto(app(), version); }

void UpdateScenario::stage(const Version& version, const WText& folder, const TextList& removed) const {
    writeInto(folder, version);
    UpdateManifest manifest;
    for (const auto& [path, bytes] : version) manifest.files.push_back({path, bytes.size(), sha256Of(bytes)});
    manifest.removed = removed;
    EXPECT_TRUE(writeFileBytes(folder + L"vornicw-update.manifest", manifestText(manifest)));
}

Hashes UpdateScenario::hashes() const {
    Hashes all;
    hashFolder(app(), L"", all);
    return all;
}

ChildProcess UpdateScenario::start(const WText& arguments, const std::vector<WText>& more) const {
    std::vector<WText> environment = {L"APPDATA=" + root() + L"appdata", L"VORNIC_STANDIN_RECORD=" + root() + L"record.txt",
                                      L"VORNIC_STANDIN_SCRIPT=" + app() + L"script.txt",
                                      L"VORNIC_TRACE=" + root() + L"trace.txt"};
    environment.insert(environment.end(), more.begin(), more.end());
    return ChildProcess::start(exe(), L"\"" + exe() + L"\" " + arguments, root(), environment);
}

DWORD UpdateScenario::runChain(const WText& arguments, const std::vector<WText>& more) const {
    ChildProcess first = start(arguments, more);
    DWORD code = 0;
    EXPECT_TRUE(first.waitForExit(kChainTimeout, code));
    WaitingFor marker(L"the processes started after " + exe());
    EXPECT_TRUE(waitUntil([&] { return noProcessRunsFrom(exe()); }, kChainTimeout, 50));
    return code;
}

#include "record.h"

#include <windows.h>

#include <cstdlib>
#include <mutex>

namespace standin {

namespace {

std::mutex recordMutex;

HMODULE thisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&thisModule), &module);
    return module;
}

std::wstring recordPath() {
    wchar_t buffer[32768];
    const DWORD length = GetEnvironmentVariableW(L"VORNIC_STANDIN_RECORD", buffer, 32768);
    if (length > 0 && length < 32768) return std::wstring(buffer, length);
    return besideModule(L"standin-record.txt");
}

}  // namespace

std::wstring besideModule(const wchar_t* name) {
    wchar_t buffer[32768];
    const DWORD length = GetModuleFileNameW(thisModule(), buffer, 32768);
    std::wstring path(buffer, length);
    path.resize(path.rfind(L'\\') + 1);
    return path + name;
}

void record(const std::string& what, const std::string& value) {
    std::string line = what;
    if (!value.empty()) line += ": " + value;
    line += "\n";
    std::lock_guard<std::mutex> lock(recordMutex);
    const HANDLE file = CreateFileW(recordPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

std::string toUtf8(const std::u16string& text) {
    return toUtf8(std::wstring(text.begin(), text.end()));
}

std::string toUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), size, nullptr,
                        nullptr);
    return narrow;
}

std::u16string fromUtf8(const std::string& text) {
    if (text.empty()) return std::u16string();
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return std::u16string(wide.begin(), wide.end());
}

std::string environmentValue(const wchar_t* name) {
    const DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
    if (needed == 0) return "<unset>";
    std::wstring value(needed, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, value.data(), needed);
    value.resize(length);
    return toUtf8(value);
}

void failLoudly(const std::string& what, const std::string& value) {
    record(what, value);
    std::abort();
}

}  // namespace standin

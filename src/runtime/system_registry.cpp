#include "runtime/system_registry.h"


#include "runtime/runtime_folder.h"
#include "support/environment.h"
#include "support/filesystem.h"
#include "support/unique_handle.h"

namespace {

HKEY rootKey(RegistryRoot root) { return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

bool openKey(RegistryRoot root, const Text& key, REGSAM view, UniqueKey& opened) {
    opened = openRegistryKey(rootKey(root), key.c_str(), KEY_READ | view);
    return static_cast<bool>(opened);
}

}  // namespace

bool SystemRegistryReader::subkeyNames(RegistryRoot root, const Text& key, TextList& names) {
    names.clear();
    UniqueKey opened;
    if (!openKey(root, key, view_, opened)) return false;
    wchar_t name[256];  // a key name has at most 255 characters
    for (DWORD index = 0;; ++index) {
        DWORD length = 256;
        if (RegEnumKeyExW(opened.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name, length);
    }
    return true;
}

bool SystemRegistryReader::valueData(RegistryRoot root, const Text& key, const wchar_t* name, Text& data) {
    data.clear();
    UniqueKey opened;
    if (!openKey(root, key, view_, opened)) return false;
    // One call for the usual folder path; the size is asked for only when the data is longer. Each
    // call is a round trip to the registry, and a walk may read a thousand values.
    DWORD size = 520;
    for (;;) {
        // Whatever the type: the data is taken as UTF-16 units, an odd last byte dropped.
        Text buffer(size / sizeof(wchar_t) + 1, L'\0');
        DWORD got = size;
        const LSTATUS status =
            RegQueryValueExW(opened.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &got);
        if (status == ERROR_MORE_DATA) {  // `got` now says how long it is
            size = got;
            continue;
        }
        if (status != ERROR_SUCCESS) return false;
        buffer.resize(got / sizeof(wchar_t));
        data = std::move(buffer);
        return true;
    }
}

Text SystemRuntimeFiles::findJvmLibrary(const Text& home, JvmType type, bool* server) {
    // Family subkeys (1.8 beside 1.8.0_151) share a folder: each folder and type is looked at once.
    const Text id = decimalText(static_cast<int>(type)) + L"|" + home;
    for (const Found& known : known_) {
        if (known.id != id) continue;
        if (server && !known.library.empty()) *server = known.server;
        return known.library;
    }
    // A folder that is surely not there holds none of the five variants: one look instead of five.
    // Any other answer (a root, a folder that cannot be looked at) leads to the full probe.
    Text folder = home;
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    const bool missing = !folder.empty() && GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES &&
                         (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND);
    Found& found = known_.emplace_back();
    found.id = id;
    if (!missing) found.library = ::findJvmLibrary(home, type, &found.server);
    if (server && !found.library.empty()) *server = found.server;
    return found.library;
}

bool SystemRuntimeFiles::fileExists(const Text& path) { return ::fileExists(path); }

bool SystemRuntimeFiles::readFile(const Text& path, std::string& bytes) {
    bytes.clear();
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    // A release file is a few hundred bytes; its JAVA_VERSION line comes first.
    char buffer[16384];
    DWORD got = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) return false;
    bytes.assign(buffer, got);
    return true;
}

bool SystemRuntimeFiles::isOtherWidth(const Text& jvmLibrary) {
    const std::uint16_t machine = jvmLibraryMachine(jvmLibrary);
    return machine != 0 && isOtherWidthMachine(machine, sizeof(void*) == 8);
}

Text SystemRuntimeFiles::environmentVariable(const wchar_t* name) {
    Text value;
    readEnvironment(name, value);
    return value;
}

JavaVersion runtimeVersionOf(const Text& jvmLibraryPath) {
    // ...\home\bin\server\jvm.dll: the home is three separators up.
    Text home = jvmLibraryPath;
    for (int level = 0; level < 3 && !home.empty(); ++level) {
        const std::size_t cut = home.find_last_of(L'\\');
        home.resize(cut == Text::npos ? 0 : cut);
    }
    JavaVersion version;
    std::string release;
    SystemRuntimeFiles files;
    if (!home.empty() && files.readFile(home + L"\\release", release)) releaseFileVersion(release, version);
    return version;
}

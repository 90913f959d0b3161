#include "runtime/runtime_folder.h"

#include <windows.h>

#include "settings/executable_path.h"
#include "support/filesystem.h"
#include "support/pe_headers.h"
#include "support/trace.h"
#include "support/unique_handle.h"

namespace {

const wchar_t* const kServerOnlyOrder[] = {L"bin\\server\\jvm.dll"};
const wchar_t* const kServerFirstOrder[] = {L"bin\\server\\jvm.dll", L"bin\\client\\jvm.dll",
                                            L"bin\\classic\\jvm.dll", L"bin\\hotspot\\jvm.dll",
                                            L"bin\\jrockit\\jvm.dll"};
const wchar_t* const kClientFirstOrder[] = {L"bin\\client\\jvm.dll", L"bin\\classic\\jvm.dll",
                                            L"bin\\hotspot\\jvm.dll", L"bin\\server\\jvm.dll",
                                            L"bin\\jrockit\\jvm.dll"};

template <std::size_t Count>
Text firstExisting(const Text& home, const wchar_t* const (&order)[Count], bool* serverFlag) {
    for (const wchar_t* subPath : order) {
        Text candidate = home + subPath;
        if (fileExists(candidate)) {
            if (serverFlag) *serverFlag = subPath == kServerOnlyOrder[0];
            return candidate;
        }
    }
    return Text();
}

}  // namespace

Text findJvmLibrary(const Text& home, JvmType type, bool* serverFlag) {
    switch (type) {
        case JvmType::ServerOnly:
            return firstExisting(home, kServerOnlyOrder, serverFlag);
        case JvmType::ServerFirst:
            return firstExisting(home, kServerFirstOrder, serverFlag);
        case JvmType::ClientFirst:
            break;
    }
    return firstExisting(home, kClientFirstOrder, serverFlag);
}

bool hasJavaDll(const Text& home) { return fileExists(home + L"bin\\java.dll"); }

const wchar_t* privateRuntimeFolderName() { return sizeof(void*) == 8 ? L"jre64\\" : L"jre\\"; }

bool findPrivateRuntime(Text& home) {
    home.clear();
    Text exeFolder;
    if (!getExeFolder(exeFolder)) return false;
    if (hasJavaDll(exeFolder)) {
        home = exeFolder;
        return true;
    }
    const Text privateHome = exeFolder + privateRuntimeFolderName();
    if (hasJavaDll(privateHome)) {
        home = privateHome;
        return true;
    }
    return false;
}

std::uint16_t jvmLibraryMachine(const Text& jvmLibraryPath) {
    // Owners are declared in acquisition order, so they release view, mapping, file: the order the
    // system wants.
    UniqueFile file(CreateFileW(jvmLibraryPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 0;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) return 0;
    UniqueHandle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return 0;
    UniqueView view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
    if (!view) return 0;
    // The view is read only as far as the headers say, each offset checked against the file's size.
    PeHeaders headers;
    if (readPeFileHeader(static_cast<const std::uint8_t*>(view.get()), static_cast<std::size_t>(size.QuadPart),
                         headers) != PeFault::None)
        return 0;
    return headers.machine;
}

bool pairRunsRuntime(const Text& jvmLibraryPath, const Text& pairProduct) {
    // Without a pair the file is read only for the trace: loading will fail, and the trace says why.
    if (pairProduct.empty() && !tracing()) return false;
    const std::uint16_t machine = jvmLibraryMachine(jvmLibraryPath);
    const bool otherWidth = machine != 0 && isOtherWidthMachine(machine, sizeof(void*) == 8);
    if (!pairProduct.empty()) return otherWidth;
    if (otherWidth) {
        VORNIC_TRACE(jvmLibraryPath + L": wrong processor width (" +
                     (machine == kMachineI386 ? L"a 32-bit" : L"a 64-bit or other") + L" jvm.dll for the " +
                     (sizeof(void*) == 8 ? L"x64" : L"x86") + L" launcher), and no Pair Product to hand it to");
    }
    return false;
}

void publishJvmEnvironment(const Text& jvmLibraryPath) {
    SetEnvironmentVariableW(L"VORNIC_JVM_PATH", jvmLibraryPath.c_str());
    SetEnvironmentVariableW(L"VORNIC_JVM_HOME", stripPathComponents(jvmLibraryPath, 3).c_str());
}

#include "runtime/runtime_folder.h"

#include <windows.h>

#include "settings/executable_path.h"
#include "support/filesystem.h"
#include "support/procedure.h"
#include "support/system_libraries.h"
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

using ImageNtHeaderFunction = PIMAGE_NT_HEADERS(WINAPI*)(PVOID base);

// The PE machine of the image in `view` (`size` bytes), or 0 when it is not a PE image that
// Dbghelp can read.
WORD imageMachine(const BYTE* view, ULONGLONG size) {
    if (size < sizeof(IMAGE_DOS_HEADER)) return 0;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(view);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return 0;
    // ImageNtHeader trusts e_lfanew; a crafted file must not make it read past the view.
    const ULONGLONG headersEnd = static_cast<ULONGLONG>(static_cast<DWORD>(dos->e_lfanew)) + sizeof(DWORD) +
                                 sizeof(IMAGE_FILE_HEADER);
    if (dos->e_lfanew < 0 || headersEnd > size) return 0;

    // From the system folder only: a bare name would run a Dbghelp.dll planted beside the
    // executable, in the current folder or on the path.
    UniqueModule dbghelp(loadSystemLibrary(L"dbghelp.dll"));
    if (!dbghelp) return 0;
    const auto imageNtHeader = procedureOf<ImageNtHeaderFunction>(dbghelp.get(), "ImageNtHeader");
    if (!imageNtHeader) return 0;
    const auto* headers = imageNtHeader(const_cast<BYTE*>(view));
    if (!headers || headers->Signature != IMAGE_NT_SIGNATURE) return 0;
    return headers->FileHeader.Machine;
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
    return imageMachine(static_cast<const BYTE*>(view.get()), static_cast<ULONGLONG>(size.QuadPart));
}

bool pairRunsRuntime(const Text& jvmLibraryPath, const Text& pairProduct) {
    // Without a pair the file is read only for the trace: loading will fail, and the trace says why.
    if (pairProduct.empty() && !tracing()) return false;
    const std::uint16_t machine = jvmLibraryMachine(jvmLibraryPath);
    const bool otherWidth = machine != 0 && isOtherWidthMachine(machine, sizeof(void*) == 8);
    if (!pairProduct.empty()) return otherWidth;
    if (otherWidth) {
        VORNIC_TRACE(jvmLibraryPath + L": wrong processor width (" +
                     (machine == 0x014C ? L"a 32-bit" : L"a 64-bit or other") + L" jvm.dll for the " +
                     (sizeof(void*) == 8 ? L"x64" : L"x86") + L" launcher), and no Pair Product to hand it to");
    }
    return false;
}

void publishJvmEnvironment(const Text& jvmLibraryPath) {
    SetEnvironmentVariableW(L"VORNIC_JVM_PATH", jvmLibraryPath.c_str());
    SetEnvironmentVariableW(L"VORNIC_JVM_HOME", stripPathComponents(jvmLibraryPath, 3).c_str());
}

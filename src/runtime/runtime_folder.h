// A runtime's home folder, its jvm.dll, and whether this build can load it.
//
//   bool server = false;
//   Text jvm = findJvmLibrary(L"C:\\rt\\", JvmType::ServerFirst, &server);   // "C:\rt\bin\server\jvm.dll"
#pragma once

#include <cstdint>

#include "runtime/jvm_type.h"
#include "support/pe_headers.h"
#include "support/text.h"

// The jvm.dll under `home` (ending with a backslash) that `type` accepts first; empty when none.
// `serverFlag` becomes true for bin\server\jvm.dll, false for the other variants, and is left alone
// when nothing is found.
Text findJvmLibrary(const Text& home, JvmType type, bool* serverFlag = nullptr);

// True when home + "bin\java.dll" exists.
bool hasJavaDll(const Text& home);

// The runtime shipped beside the executable: the executable's folder itself, else its "jre64\"
// ("jre\" in the x86 build). False when neither holds bin\java.dll, so the search goes straight on
// to the registry instead of probing folders relative to the current directory.
bool findPrivateRuntime(Text& home);

// The private runtime's folder name of this build.
const wchar_t* privateRuntimeFolderName();

// True when "Pair Product" is set and the chosen jvm.dll was built for the other processor width:
// the paired launcher runs it. Never shows anything: a file it cannot inspect gives false. Without
// "Pair Product" a jvm.dll of the other width is only named in the trace.
bool pairRunsRuntime(const Text& jvmLibraryPath, const Text& pairProduct);

// The PE machine of a jvm.dll (kMachineI386, kMachineAmd64); 0 when the file is not a PE image
// that can be read.
std::uint16_t jvmLibraryMachine(const Text& jvmLibraryPath);

// True when an image of PE `machine` cannot be loaded by a launcher of that width.
constexpr bool isOtherWidthMachine(std::uint16_t machine, bool launcherIs64Bit) {
    return launcherIs64Bit ? machine == kMachineI386 : machine != kMachineI386;
}

// VORNIC_JVM_PATH = the library path; VORNIC_JVM_HOME = that path without its last three components.
void publishJvmEnvironment(const Text& jvmLibraryPath);

// The walk over the registry keys under which installers register Java runtimes. Portable: the
// registry and the file system come in through two small interfaces, so tests can feed any keys.
//
//   SearchPass pass{registry, files, preferences, /*otherView=*/false};
//   Text home;
//   if (chooseRegisteredRuntime(pass, home)) ...   // home ends with a backslash
#pragma once

#include <string>

#include "runtime/runtime_candidates.h"

enum class RegistryRoot { LocalMachine, CurrentUser };

// Reads keys in one registry view (the view is the reader's business).
class RegistryReader {
public:
    virtual ~RegistryReader() = default;
    // The names of the direct subkeys of `key`, in enumeration order, until the enumeration reports
    // an error. False when the key cannot be opened.
    virtual bool subkeyNames(RegistryRoot root, const Text& key, TextList& names) = 0;
    // The data of value `name` of `key` as UTF-16 units, whatever its type, exactly as returned (it
    // need not hold a NUL). False when the key cannot be opened or the value is missing.
    virtual bool valueData(RegistryRoot root, const Text& key, const wchar_t* name, Text& data) = 0;
};

// What the walk asks of the file system and the process.
class RuntimeFiles {
public:
    virtual ~RuntimeFiles() = default;
    // As findJvmLibrary of runtime/runtime_folder.h.
    virtual Text findJvmLibrary(const Text& home, JvmType type, bool* server) = 0;
    virtual bool fileExists(const Text& path) = 0;
    // False when the file cannot be read.
    virtual bool readFile(const Text& path, std::string& bytes) = 0;
    // True when the library's image is for the other processor width; false when it is for this
    // width or cannot be told.
    virtual bool isOtherWidth(const Text& jvmLibrary) = 0;
    // Empty when unset.
    virtual Text environmentVariable(const wchar_t* name) = 0;
};

enum class RuntimeKind { Jdk, Jre };
enum class RuntimeProvider { Sun, JRockit, Ibm };

// One of the seven keys that runtimes have been registered under, with "JavaHome" in each version
// subkey.
struct RuntimeKey {
    int number;  // 1 to 7, in search order
    const wchar_t* path;  // under HKEY_LOCAL_MACHINE, ending with a backslash
    RuntimeKind kind;
    RuntimeProvider provider;
    bool homeInJre;                  // the JDK's own runtime lies in its "jre\" folder
    bool everFavored;                // the newer JavaSoft keys 1 and 2 never are
    bool clientFirstForServerFirst;  // the old JRE key: a "favor_server" probe still takes any VM
};

extern const RuntimeKey kRuntimeKeys[7];

bool isKeySearched(const RuntimeKey& key, const SearchPreferences& preferences);
bool isKeyFavored(const RuntimeKey& key, const SearchPreferences& preferences);

struct SearchPass {
    RegistryReader& registry;
    RuntimeFiles& files;
    const SearchPreferences& preferences;
    bool otherView;  // pass 2: the registry view of the other processor width
};

// The version subkeys of `key` that pass the bounds and lead to a jvm.dll, appended in order.
void collectCandidates(const RuntimeKey& key, const SearchPass& pass, CandidateList& candidates);

// One version subkey: its home (with "jre\" for keys 3 and 6) when its "JavaHome" leads to a
// jvm.dll, and whether that is the server one. False leaves `home` empty.
bool probeRuntimeKey(const RuntimeKey& key, const Text& name, const SearchPass& pass, Text& home, bool& server);

// Runtimes registered only under their vendor's key (HKEY_LOCAL_MACHINE in the pass's view and
// HKEY_CURRENT_USER) and the one JAVA_HOME names; only those whose jvm.dll has the pass's width.
void collectVendorCandidates(const SearchPass& pass, CandidateList& candidates);

// Every candidate of a pass, in the order found: the seven keys whose settings allow them, then
// (when asked for) the vendor registrations.
void collectPassCandidates(const SearchPass& pass, CandidateList& candidates);

// One whole pass: collect, rank, choose. False when the pass keeps no candidate (or is the other
// view's pass without "Pair Product", which opens no key at all).
bool chooseRegisteredRuntime(const SearchPass& pass, Text& home);

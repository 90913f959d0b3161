// The registry and file system as the registry walk (runtime/registry_walk.h) sees them.
//
//   SystemRegistryReader registry(KEY_WOW64_32KEY);   // 0: the process's own view
//   SystemRuntimeFiles files;
#pragma once

#include <windows.h>

#include <vector>

#include "runtime/registry_walk.h"

class SystemRegistryReader : public RegistryReader {
public:
    // `view`: 0, KEY_WOW64_32KEY or KEY_WOW64_64KEY, added to KEY_READ for every key opened.
    explicit SystemRegistryReader(REGSAM view) : view_(view) {}

    bool subkeyNames(RegistryRoot root, const Text& key, TextList& names) override;
    bool valueData(RegistryRoot root, const Text& key, const wchar_t* name, Text& data) override;

private:
    REGSAM view_;
};

// The version in the `release` file of the runtime whose jvm.dll this is (its home is three folders
// up); count 0 when there is none.
JavaVersion runtimeVersionOf(const Text& jvmLibraryPath);

// Lives for one search pass: it remembers what it found in each runtime folder.
class SystemRuntimeFiles : public RuntimeFiles {
public:
    Text findJvmLibrary(const Text& home, JvmType type, bool* server) override;
    bool fileExists(const Text& path) override;
    bool readFile(const Text& path, std::string& bytes) override;
    bool isOtherWidth(const Text& jvmLibrary) override;
    Text environmentVariable(const wchar_t* name) override;

private:
    struct Found {
        Text id;  // the type and the home
        Text library;
        bool server = false;
    };
    // A pass looks at a few dozen folders at most: a list is searched fast enough and spares the
    // executable a tree.
    std::vector<Found> known_;
};

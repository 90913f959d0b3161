// The texts, before expansion, that the process environment is built from. Portable: the rules are
// exact and tested without a system.
#pragma once

#include <cstddef>

#include "support/text.h"

// jvm.dll's path without its last three components, ending with a backslash
// ("C:\rt\bin\server\jvm.dll" gives "C:\rt\").
Text runtimeHome(const Text& jvmLibraryPath);

// "<setting>;<exeFolder>;.;<search path>;<runtime home>lib"; no ";" is added after a setting ending in
// one. The caller expands the setting and reads the process search path; the folders are taken as they
// stand, since a folder's own name may hold "%NAME%".
Text libraryPathText(const Text& expandedSetting, const Text& exeFolder, const Text& searchPath,
                     const Text& jvmLibraryPath);

// "<system path>;<search path>;<runtime bin folder>": the runtime's bin folder is searched last. The
// same division of work as libraryPathText.
Text searchPathText(const Text& expandedSystemPath, const Text& searchPath, const Text& jvmLibraryPath);

// The most units an environment variable's value may hold (32,767 with its terminating NUL).
constexpr std::size_t kEnvironmentValueLimit = 32766;

// The process "Path" to set, and the "System Path" folders that had to stay out of it.
struct FittedSearchPath {
    Text text;
    TextList dropped;
};

// searchPathText, when its result fits in `limit` units. Otherwise the runtime's bin folder and the
// system's own folders (those of `searchPath` inside `windowsFolder`) stay, and folders are dropped
// from the end of the system path, then, only when the process search path alone is too long, its
// folders that are not the system's, from its end; each dropped folder is listed.
FittedSearchPath fitSearchPath(const Text& expandedSystemPath, const Text& searchPath, const Text& jvmLibraryPath,
                               const Text& windowsFolder, std::size_t limit = kEnvironmentValueLimit);

// Each ";"-separated piece of `list` passed through `map`; the separators stay as they are.
template <typename Map>
Text mapPathList(const Text& list, Map map) {
    Text result;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = list.find(L';', start);
        const Text piece = list.substr(start, end == Text::npos ? Text::npos : end - start);
        result += piece.empty() ? piece : map(piece);
        if (end == Text::npos) return result;
        result += L';';
        start = end + 1;
    }
}

// The texts, before expansion, that the process environment is built from. Portable: the rules are
// exact and tested without a system.
#pragma once

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

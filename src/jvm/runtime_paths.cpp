#include "jvm/runtime_paths.h"

Text runtimeHome(const Text& jvmLibraryPath) {
    return stripPathComponents(jvmLibraryPath, 3) + L'\\';
}

Text libraryPathText(const Text& expandedSetting, const Text& exeFolder, const Text& searchPath,
                     const Text& jvmLibraryPath) {
    Text text = expandedSetting;
    if (!text.empty() && text.back() != L';') text += L';';
    return text + exeFolder + L";.;" + searchPath + L";" + runtimeHome(jvmLibraryPath) + L"lib";
}

Text searchPathText(const Text& expandedSystemPath, const Text& searchPath, const Text& jvmLibraryPath) {
    Text text = expandedSystemPath;
    if (!text.empty() && text.back() != L';') text += L';';
    return text + searchPath + L";" + stripPathComponents(jvmLibraryPath, 2);
}

#include "jvm/runtime_paths.h"

Text runtimeHome(const Text& jvmLibraryPath) {
    return stripPathComponents(jvmLibraryPath, 3) + L'\\';
}

Text libraryPathTemplate(const Text& setting, const Text& exeFolder, const Text& jvmLibraryPath) {
    Text text = setting;
    if (!text.empty() && text.back() != L';') text += L';';
    return text + exeFolder + L";.;%Path%;" + runtimeHome(jvmLibraryPath) + L"lib";
}

Text searchPathTemplate(const Text& systemPathSetting, const Text& jvmLibraryPath) {
    Text text = systemPathSetting;
    if (!text.empty() && text.back() != L';') text += L';';
    return text + L"%Path%;" + stripPathComponents(jvmLibraryPath, 2);
}

#include "settings/settings_paths.h"

#include <windows.h>

#include "settings/executable_path.h"
#include "support/environment.h"
#include "support/filesystem.h"
#include "support/path.h"

Text folderNameOf(const Text& productName) {
    Text name;
    for (wchar_t c : productName) {
        if (Text(L"\\?\"|><:/*").find(c) == Text::npos) name += c;
    }
    return name;
}

namespace {

Text baseNameIni(const Text& sourcePath) {
    const size_t slash = sourcePath.rfind(L'\\');
    Text name = slash == Text::npos ? sourcePath : sourcePath.substr(slash + 1);
    const size_t dot = name.rfind(L'.');
    if (dot != Text::npos) name.resize(dot);
    return name + L".ini";
}

// "APPDATA"; empty when it is not set.
Text appDataFolder() {
    Text value;
    readEnvironment(L"APPDATA", value);
    return value;
}

Text userSettingsPath(const ProductFiles& product, const Text& sourcePath, bool createFolders) {
    // Unset, empty or relative, "APPDATA" would put the file on the current drive's root or in the
    // current folder, where anyone may have left one: then there is no per-user file at all.
    const Text appData = appDataFolder();
    if (!isAbsolutePath(appData)) return Text();
    const Text productFolder = appData + L"\\" + folderNameOf(product.productName);
    if (createFolders) CreateDirectoryW(withLongPathPrefix(productFolder).c_str(), nullptr);
    const Text codeFolder = productFolder + L"\\" + product.productCode;
    if (createFolders) CreateDirectoryW(withLongPathPrefix(codeFolder).c_str(), nullptr);
    return codeFolder + L"\\" + baseNameIni(sourcePath);
}

}  // namespace

Text userSettingsPathFor(const Text& appData, const Text& productName, const Text& productCode,
                         const Text& sourcePath) {
    return appData + L"\\" + folderNameOf(productName) + L"\\" + productCode + L"\\" + baseNameIni(sourcePath);
}

bool settingsFilePath(Text& path) {
    if (getExePath(path) && replaceExtension(path, L"ini")) return true;
    path.clear();
    return false;
}

Text userSettingsFilePath(const ProductFiles& product, bool createFolders) {
    Text exePath;
    if (!getExePath(exePath)) return Text();
    return userSettingsPath(product, exePath, createFolders);
}

bool pairSettingsFilePath(const ProductFiles& product, Text& path) {
    path = product.pairProduct;
    if (!path.empty() && replaceExtension(path, L"ini")) return true;
    path.clear();
    return false;
}

Text pairUserSettingsFilePath(const ProductFiles& product) {
    if (product.pairProduct.empty()) return Text();
    return userSettingsPath(product, product.pairProduct, true);
}

void applyWorkingDirOverride() {
    Text path;
    if (!getExePath(path)) return;
    const size_t slash = path.rfind(L'\\');
    if (slash == Text::npos || slash == 0) return;
    SetCurrentDirectoryW(path.substr(0, slash).c_str());
}

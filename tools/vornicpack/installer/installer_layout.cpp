#include "installer/installer_layout.h"

#include "settings/settings_cipher.h"
#include "texts/text_codec.h"

namespace {

Text progIdPart(const Text& text) {
    Text out;
    for (const wchar_t unit : text)
        if ((unit >= L'a' && unit <= L'z') || (unit >= L'A' && unit <= L'Z') || (unit >= L'0' && unit <= L'9'))
            out += unit;
    return out.empty() ? Text(L"App") : out;
}

}  // namespace

std::string installerHex(const std::string& seed) {
    const Md5Digest digest = md5(seed);
    static const char* digits = "0123456789abcdef";
    std::string hex;
    for (const std::uint8_t byte : digest) {
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
    }
    return hex;
}

std::string installerId(char kind, const std::string& path) { return std::string(1, kind) + installerHex(path); }

InstallerFolder installerFolderTree(const InstallerInput& in) {
    InstallerFolder root;
    for (const InstallerFile& file : in.files) {
        InstallerFolder* at = &root;
        std::size_t from = 0;
        for (std::size_t slash = file.target.find('/'); slash != std::string::npos;
             from = slash + 1, slash = file.target.find('/', from))
            at = &at->folders[file.target.substr(from, slash - from)];
        at->files.push_back(&file);
    }
    return root;
}

Text installerShortcutName(const InstallerInput& in) {
    if (!in.options.shortcut.empty()) return in.options.shortcut;
    Text shortcut;
    for (const wchar_t unit : in.productName)
        if (Text(L"\\/:*?\"<>|").find(unit) == Text::npos && unit >= L' ') shortcut += unit;
    return shortcut;
}

std::vector<InstallerRegistryValue> installerRegistryValues(const InstallerInput& in) {
    std::vector<InstallerRegistryValue> values;
    const auto add = [&](const std::string& key, const std::string& name, const std::string& value) {
        values.push_back({installerId('r', key + "\n" + name), key, name, value});
    };
    const std::string launcher = "[#" + installerId('f', in.launcher) + "]";
    const std::string open = "\"" + launcher + "\" \"%1\"";
    for (const InstallerFileType& type : in.options.fileTypes) {
        const std::string progId = encodeUtf8(progIdPart(in.folderName) + L"." + progIdPart(type.extension.substr(1)));
        add("Software\\Classes\\" + encodeUtf8(type.extension), "", progId);
        add("Software\\Classes\\" + progId, "", encodeUtf8(type.description));
        add("Software\\Classes\\" + progId + "\\DefaultIcon", "",
            type.icon.empty() ? launcher + ",0" : "[#" + installerId('f', encodeUtf8(type.icon)) + "]");
        add("Software\\Classes\\" + progId + "\\shell\\open\\command", "", open);
    }
    for (const Text& scheme : in.options.linkSchemes) {
        const std::string key = "Software\\Classes\\" + encodeUtf8(scheme);
        add(key, "", "URL:" + encodeUtf8(in.productName));
        add(key, "URL Protocol", "");
        add(key + "\\DefaultIcon", "", launcher + ",0");
        add(key + "\\shell\\open\\command", "", open);
    }
    return values;
}

std::string installerServiceStart(const InstallerInput& in) {
    const Text start = in.serviceDefinition.start;
    if (equalsNoCase(start, L"disabled")) return "disabled";
    return equalsNoCase(start, L"demand") ? "demand" : "auto";
}

bool installerServiceStartsOnInstall(const InstallerInput& in) { return installerServiceStart(in) == "auto"; }

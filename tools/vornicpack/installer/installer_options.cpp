#include "installer/installer_options.h"

#include <algorithm>
#include <cwctype>

#include "project/project_file.h"
#include "texts/text_codec.h"

namespace {

bool isFlag(const Text& value, bool& flag) {
    if (equalsNoCase(value, L"yes") || equalsNoCase(value, L"no") || value.empty()) {
        flag = equalsNoCase(value, L"yes");
        return true;
    }
    return false;
}

bool isAsciiAlnum(wchar_t unit) {
    return (unit >= L'a' && unit <= L'z') || (unit >= L'A' && unit <= L'Z') || (unit >= L'0' && unit <= L'9');
}

Text lowered(Text text) {
    for (wchar_t& unit : text)
        if (unit >= L'A' && unit <= L'Z') unit = static_cast<wchar_t>(unit - L'A' + L'a');
    return text;
}

// ".demo=Demo Document" or ".demo=Demo Document|icons/demo.ico", several separated by ";".
bool readFileTypes(const Text& value, InstallerOptions& options, const std::string& at, std::string& error) {
    for (const Text& piece : splitText(value, L";")) {
        const Text entry = trimText(piece);
        if (entry.empty()) continue;
        const std::size_t equals = entry.find(L'=');
        InstallerFileType type;
        type.extension = trimText(entry.substr(0, equals));
        const Text rest = equals == Text::npos ? Text() : entry.substr(equals + 1);
        const std::size_t bar = rest.find(L'|');
        type.description = trimText(rest.substr(0, bar));
        if (bar != Text::npos) type.icon = trimText(rest.substr(bar + 1));
        std::replace(type.icon.begin(), type.icon.end(), L'\\', L'/');
        const bool goodExtension = type.extension.size() > 1 && type.extension[0] == L'.' &&
                                   std::all_of(type.extension.begin() + 1, type.extension.end(), [](wchar_t unit) {
                                       return isAsciiAlnum(unit) || unit == L'_' || unit == L'-';
                                   });
        if (!goodExtension || type.description.empty() || type.description.find(L'"') != Text::npos) {
            error = at + "File Types: \"" + encodeUtf8(entry) +
                    "\" is not an extension and its description, such as .demo=Demo Document (letters, digits, _ "
                    "and - after the dot; no \" in the description; an icon of the folder after |)";
            return false;
        }
        for (const InstallerFileType& earlier : options.fileTypes)
            if (equalsNoCase(earlier.extension, type.extension)) {
                error = at + "File Types: " + encodeUtf8(type.extension) + " appears twice";
                return false;
            }
        // Extensions that Windows itself runs or opens would turn every such file into an argument.
        for (const wchar_t* kept : {L".exe", L".com", L".bat", L".cmd", L".lnk", L".dll", L".msi", L".url"})
            if (equalsNoCase(type.extension, kept)) {
                error = at + "File Types: " + encodeUtf8(type.extension) +
                        " belongs to Windows: choose an extension of the application's own";
                return false;
            }
        options.fileTypes.push_back(std::move(type));
    }
    if (options.fileTypes.empty()) {
        error = at + "File Types names no extension: write .demo=Demo Document, or leave the key out";
        return false;
    }
    return true;
}

// URL schemes as RFC 3986 spells them: a letter, then letters, digits, "+", "-" and ".".
bool readLinkSchemes(const Text& value, InstallerOptions& options, const std::string& at, std::string& error) {
    Text spaced = value;
    std::replace(spaced.begin(), spaced.end(), L',', L' ');
    std::replace(spaced.begin(), spaced.end(), L';', L' ');
    for (const Text& piece : splitText(spaced, L" ")) {
        Text scheme = lowered(trimText(piece));
        if (scheme.empty()) continue;
        if (scheme.back() == L':') scheme.pop_back();
        const bool good = !scheme.empty() && std::iswalpha(scheme[0]) && isAsciiAlnum(scheme[0]) &&
                          std::all_of(scheme.begin(), scheme.end(), [](wchar_t unit) {
                              return isAsciiAlnum(unit) || unit == L'+' || unit == L'-' || unit == L'.';
                          });
        if (!good) {
            error = at + "Link Schemes: \"" + encodeUtf8(trimText(piece)) +
                    "\" is not a URL scheme (a letter, then letters, digits, +, - and .), such as demo";
            return false;
        }
        for (const wchar_t* kept : {L"http", L"https", L"file", L"ftp", L"mailto", L"ms-settings", L"shell"})
            if (scheme == kept) {
                error = at + "Link Schemes: " + encodeUtf8(scheme) +
                        " belongs to the system or the browser: choose a scheme of the application's own";
                return false;
            }
        if (std::find(options.linkSchemes.begin(), options.linkSchemes.end(), scheme) != options.linkSchemes.end()) {
            error = at + "Link Schemes: " + encodeUtf8(scheme) + " appears twice";
            return false;
        }
        options.linkSchemes.push_back(std::move(scheme));
    }
    if (options.linkSchemes.empty()) {
        error = at + "Link Schemes names no scheme: write demo, or leave the key out";
        return false;
    }
    return true;
}

}  // namespace

bool isInstallerKey(const Text& key) {
    for (const wchar_t* name :
         {L"Installer", L"Install Scope", L"Shortcut", L"Desktop Shortcut", L"File Types", L"Link Schemes",
          L"Remove User Settings"})
        if (equalsNoCase(key, name)) return true;
    return false;
}

bool readInstallerKey(const Text& key, const Text& value, std::size_t line, InstallerOptions& options,
                      const std::string& at, std::string& error) {
    if (!options.line || line < options.line) options.line = line;
    if (equalsNoCase(key, L"Installer")) {
        if (equalsNoCase(value, L"msi") || equalsNoCase(value, L"none") || value.empty()) {
            options.msi = equalsNoCase(value, L"msi");
            return true;
        }
        error = at + "Installer must be msi (a Windows Installer package beside the zip) or none, not \"" +
                encodeUtf8(value) + "\"";
        return false;
    }
    if (equalsNoCase(key, L"Install Scope")) {
        if (equalsNoCase(value, L"user") || equalsNoCase(value, L"machine") || value.empty()) {
            options.perMachine = equalsNoCase(value, L"machine");
            return true;
        }
        error = at + "Install Scope must be user (no administrator needed) or machine (Program Files, for every "
                     "user), not \"" +
                encodeUtf8(value) + "\"";
        return false;
    }
    if (equalsNoCase(key, L"Shortcut")) {
        if (const std::string problem = fileNameProblem(value); !value.empty() && !problem.empty()) {
            error = at + "Shortcut \"" + encodeUtf8(value) + "\" " + problem +
                    ": the Start-menu entry is a file, so choose a name Windows can use as one";
            return false;
        }
        options.shortcut = value;
        return true;
    }
    if (equalsNoCase(key, L"Desktop Shortcut")) {
        if (isFlag(value, options.desktopShortcut)) return true;
        error = at + "Desktop Shortcut must be Yes or No, not \"" + encodeUtf8(value) + "\"";
        return false;
    }
    if (equalsNoCase(key, L"Remove User Settings")) {
        if (isFlag(value, options.removeUserSettings)) return true;
        error = at + "Remove User Settings must be Yes (removal also deletes the per-user settings file) or No "
                     "(it stays, the default), not \"" +
                encodeUtf8(value) + "\"";
        return false;
    }
    if (equalsNoCase(key, L"File Types")) return readFileTypes(value, options, at, error);
    return readLinkSchemes(value, options, at, error);
}

bool checkInstallerOptions(const InstallerOptions& options, bool service, const std::string& where,
                           std::string& error) {
    const std::string at = where + "line " + std::to_string(options.line) + ": ";
    if (!options.msi && (options.perMachine || !options.shortcut.empty() || options.desktopShortcut ||
                         !options.fileTypes.empty() || !options.linkSchemes.empty() || options.removeUserSettings)) {
        error = at + "installer keys are given, but Installer is not msi: add Installer=msi or remove them";
        return false;
    }
    if (options.msi && service && !options.perMachine) {
        error = at + "a service is installed for every user of the machine: set Install Scope=machine";
        return false;
    }
    if (options.msi && service && options.removeUserSettings) {
        error = at + "Remove User Settings: a service keeps its settings beside the launcher, which removal takes "
                     "anyway; it has no per-user settings file, so leave the key out";
        return false;
    }
    return true;
}

#include "project/project_file.h"

#include <algorithm>
#include <cstdio>

#include "texts/language_texts.h"
#include "system/platform.h"
#include "project/runtime_download_checks.h"
#include "project/service_scripts.h"
#include "texts/text_codec.h"
#include "archive/wildcard.h"

namespace {

const wchar_t* const kPackageSection = L"Package";

bool hasWildcard(const Text& text) { return text.find_first_of(L"*?") != Text::npos; }

// One entry of "Jars": a file, a folder, or a wildcard in the last component.
bool resolveInput(const std::filesystem::path& base, const Text& entry, std::vector<std::filesystem::path>& inputs,
                  std::string& error) {
    Text normal = entry;
    std::replace(normal.begin(), normal.end(), L'\\', L'/');
    const std::filesystem::path path = base / pathFromText(normal);
    std::error_code code;
    const Text last = textOfPath(path.filename());
    if (!hasWildcard(last)) {
        if (!std::filesystem::exists(path, code)) {
            error = "\"" + encodeUtf8(entry) + "\" does not exist (" + utf8Of(path) + ")";
            return false;
        }
        inputs.push_back(path);
        return true;
    }
    std::vector<std::filesystem::path> found;
    // A project file given without a folder ("app.vornic") has its inputs in the current one.
    const std::filesystem::path folder = path.parent_path().empty() ? std::filesystem::path(".") : path.parent_path();
    for (const auto& item : std::filesystem::directory_iterator(folder, code))
        if (wildcardMatches(textOfPath(item.path().filename()), last))
            found.push_back(path.parent_path() / item.path().filename());
    if (found.empty()) {
        error = "\"" + encodeUtf8(entry) + "\" matches nothing in " + utf8Of(folder);
        return false;
    }
    // The file system's order differs between systems; the folder and the zip must not.
    std::sort(found.begin(), found.end());
    inputs.insert(inputs.end(), found.begin(), found.end());
    return true;
}

}  // namespace

const char* widthName(Width width) { return width == Width::X64 ? "x64" : "x86"; }

const char* stubFileName(const ProjectPackage& package) { return package.console ? "vornicwc.exe" : "vornicw.exe"; }

const char* const kDeviceNames = "CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, COM\u00B9 to COM\u00B3, LPT\u00B9 to LPT\u00B3";

bool isDeviceName(const Text& name) {
    // The device names stay devices with any extension ("con.app.exe") and before trailing blanks.
    Text stem = name.substr(0, name.find(L'.'));
    while (!stem.empty() && stem.back() == L' ') stem.pop_back();
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL"})
        if (equalsNoCase(stem, device)) return true;
    if (stem.size() != 4 || !(equalsNoCase(stem.substr(0, 3), L"COM") || equalsNoCase(stem.substr(0, 3), L"LPT")))
        return false;
    // Windows counts the superscript digits among the port numbers too.
    const wchar_t digit = stem[3];
    return (digit >= L'1' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
}

std::string fileNameProblem(const Text& name) {
    if (name.empty()) return "is empty";
    for (const wchar_t unit : name) {
        if (unit < 0x20 || unit == 0x7F) {
            char code[8];
            std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(unit));
            return std::string("holds the control character ") + code + ", which no file name may hold";
        }
        if (Text(L"\\/:*?\"<>|").find(unit) != Text::npos)
            return "holds \"" + encodeUtf8(Text(1, unit)) + "\", which no file name may hold";
    }
    // Windows drops them when it creates the file, so the launcher would not have the name its
    // partner's "Pair Product" and its INI file are made for.
    if (name.back() == L'.' || name.back() == L' ') return "ends with a dot or a space, which Windows drops from file names";
    if (isDeviceName(name)) return std::string("is a device name that Windows reserves (") + kDeviceNames + ")";
    return std::string();
}

std::string longFileNameProblem(const Text& name, std::size_t longest) {
    // Counted as Windows counts (UTF-16 units) and as Linux file systems do (UTF-8 bytes), so that
    // both packers take the same names.
    const std::size_t units = utf16Length(name), bytes = encodeUtf8(name).size();
    if (units <= longest && bytes <= longest) return std::string();
    return "is " + std::to_string(units) + " characters long" +
           (bytes > units ? " (" + std::to_string(bytes) + " bytes in UTF-8)" : std::string()) + "; at most " +
           std::to_string(longest) + " fit";
}

std::string launcherNameProblem(const Text& name) {
    if (std::string problem = fileNameProblem(name); !problem.empty()) return problem;
    if (std::string problem = longFileNameProblem(name, kLongestName); !problem.empty())
        return problem + ", so that Name-x86.exe and the folder built as Name.vornicpack-new stay within the 255 "
                         "characters of a file name";
    return std::string();
}

const wchar_t* runtimeFolderName(Width width) { return width == Width::X64 ? L"jre64" : L"jre"; }

bool parseWidths(const Text& text, std::vector<Width>& widths) {
    widths.clear();
    bool x64 = false, x86 = false;
    Text spaced = text;
    std::replace(spaced.begin(), spaced.end(), L',', L' ');
    for (const Text& piece : splitText(spaced, L" ")) {
        if (piece.empty()) continue;
        if (equalsNoCase(piece, L"x64")) x64 = true;
        else if (equalsNoCase(piece, L"x86")) x86 = true;
        else return false;
    }
    if (x64) widths.push_back(Width::X64);
    if (x86) widths.push_back(Width::X86);
    return !widths.empty();
}

Text launcherFileName(const ProjectPackage& package, Width width) {
    const bool both = package.widths.size() == 2;
    return package.name + (width == Width::X86 && both ? L"-x86.exe" : L".exe");
}

namespace {

// The settings sections, and the one [Package] section among them.
bool splitProjectSections(const Text& text, const std::string& where, AppProject& project, IniSection& package,
                          std::string& error) {
    std::vector<IniSection> sections;
    if (!parseSettingsText(text, sections, error)) {
        error = where + error;
        return false;
    }
    const IniSection* found = nullptr;
    for (const IniSection& section : sections) {
        if (equalsNoCase(section.name, L"Signing")) {
            // How to sign is the build's business, not the launcher's: never packaged.
            if (!project.signing.empty()) {
                error = where + "line " + std::to_string(section.line) + ": [Signing] appears again (first on line " +
                        std::to_string(project.signing.front().line) + "): merge them";
                return false;
            }
            project.signing.push_back(section);
        } else if (!equalsNoCase(section.name, kPackageSection)) {
            project.settings.push_back(section);
        } else if (found) {
            error = where + "line " + std::to_string(section.line) + ": [Package] appears again (first on line " +
                    std::to_string(found->line) + "): merge them";
            return false;
        } else {
            found = &section;
        }
    }
    if (!found) {
        error = where + "it has no [Package] section: name at least the jars to ship (Jars=...)";
        return false;
    }
    package = *found;
    return true;
}

// The keys of [Package], one at a time; paths are relative to the project file's folder.
struct PackageReader {
    std::filesystem::path base;
    ProjectPackage& out;
    Text launchers = L"x64";
    std::size_t nameLine = 0;

    std::filesystem::path pathOf(const Text& value) const {
        Text normal = value;
        std::replace(normal.begin(), normal.end(), L'\\', L'/');
        return base / pathFromText(normal);
    }

    // `at` begins each message with the file and the line.
    bool read(const IniPair& pair, const std::string& at, std::string& error) {
        const Text value = profileValue(pair.value);
        const Text& key = pair.key;
        if (equalsNoCase(key, L"Name")) {
            out.name = value;
            nameLine = pair.line;
        } else if (equalsNoCase(key, L"Launchers")) launchers = value;
        else if (equalsNoCase(key, L"Console")) return readConsole(value, at, error);
        else if (equalsNoCase(key, L"Jars")) return readJars(value, at, error);
        else if (equalsNoCase(key, L"Jar Folder")) return readJarFolder(value, at, error);
        else if (equalsNoCase(key, L"Runtime x64")) out.runtimes[0] = pathOf(value);
        else if (equalsNoCase(key, L"Runtime x86")) out.runtimes[1] = pathOf(value);
        else if (equalsNoCase(key, L"Runtime Download x64 File")) readDownloadFile(0, value, pair.line);
        else if (equalsNoCase(key, L"Runtime Download x86 File")) readDownloadFile(1, value, pair.line);
        else if (equalsNoCase(key, L"Icon")) out.icon = pathOf(value);
        else if (equalsNoCase(key, L"Strings")) out.strings = pathOf(value);
        else if (equalsNoCase(key, L"Languages")) return readLanguages(value, at, error);
        else if (equalsNoCase(key, L"Splash Screen")) out.splash = pathOf(value);
        else if (equalsNoCase(key, L"Output Folder")) out.outputFolder = pathOf(value);
        else if (equalsNoCase(key, L"Zip")) out.zip = pathOf(value);
        else if (equalsNoCase(key, L"Version")) out.version = value;
        else if (equalsNoCase(key, L"Company")) out.company = value;
        else if (equalsNoCase(key, L"Copyright")) out.copyright = value;
        else if (equalsNoCase(key, L"Download Page")) out.downloadPage = value;
        else if (isInstallerKey(key)) return readInstallerKey(key, value, pair.line, out.installer, at, error);
        else if (Text* service = serviceField(key)) {
            *service = value;
            if (!out.serviceLine) out.serviceLine = pair.line;
            if (service == &out.serviceName && !value.empty()) {
                if (const std::string problem = serviceNameProblem(value); !problem.empty()) {
                    error = at + problem + ": choose the name sc and the services console are to use";
                    return false;
                }
            }
        } else {
            error = at + "[Package] has no key \"" + encodeUtf8(key) +
                    "\" (known: Name, Launchers, Console, Jars, Jar Folder, Runtime x64, Runtime x86, Runtime Download x64 File, "
                    "Runtime Download x86 File, Icon, Splash Screen, "
                    "Strings, Languages, Version, Company, Copyright, Download Page, Output Folder, Zip, Service Name, "
                    "Service Display Name, Service Description, Service Start, Installer, Install Scope, Shortcut, "
                    "Desktop Shortcut, File Types, Link Schemes)";
            return false;
        }
        return true;
    }

    void readDownloadFile(int width, const Text& value, std::size_t line) {
        out.runtimeDownloads[width] = pathOf(value);
        out.runtimeDownloadLines[width] = line;
    }

    Text* serviceField(const Text& key) {
        if (equalsNoCase(key, L"Service Name")) return &out.serviceName;
        if (equalsNoCase(key, L"Service Display Name")) return &out.serviceDisplayName;
        if (equalsNoCase(key, L"Service Description")) return &out.serviceDescription;
        if (equalsNoCase(key, L"Service Start")) return &out.serviceStart;
        return nullptr;
    }

    bool readLanguages(const Text& value, const std::string& at, std::string& error) {
        out.languages = languageList(encodeUtf8(value));
        // Left out, the key ships all twelve; written but empty it reads as "none" as well as "all".
        if (out.languages.empty()) {
            error = at + "Languages names no language: write Languages=en for English alone, or leave the key out "
                         "for all twelve";
            return false;
        }
        for (const std::string& tag : out.languages)
            if (!findLanguage(tag)) {
                error = at + "Languages: \"" + tag + "\" is not a language the packer has texts for";
                return false;
            }
        return true;
    }

    // A flag as the settings write theirs ("Yes" in any case); anything else is a slip that would
    // otherwise ship the wrong kind of launcher without a word.
    bool readConsole(const Text& value, const std::string& at, std::string& error) {
        if (equalsNoCase(value, L"yes") || equalsNoCase(value, L"no") || value.empty()) {
            out.console = equalsNoCase(value, L"yes");
            return true;
        }
        error = at + "Console must be Yes (console launchers, vornicwc.exe) or No (windowed, vornicw.exe), not \"" +
                encodeUtf8(value) + "\"";
        return false;
    }

    bool readJars(const Text& value, const std::string& at, std::string& error) {
        for (const Text& entry : splitText(value, L";")) {
            const Text trimmed = trimText(entry);
            if (trimmed.empty()) continue;
            if (!resolveInput(base, trimmed, out.inputs, error)) {
                error = at + "Jars: " + error;
                return false;
            }
        }
        return true;
    }

    bool readJarFolder(const Text& value, const std::string& at, std::string& error) {
        out.jarFolder = value;
        std::replace(out.jarFolder.begin(), out.jarFolder.end(), L'/', L'\\');
        while (!out.jarFolder.empty() && out.jarFolder.back() == L'\\') out.jarFolder.pop_back();
        if (out.jarFolder.find(L"..") != Text::npos || (!out.jarFolder.empty() && out.jarFolder[0] == L'\\') ||
            out.jarFolder.find(L':') != Text::npos) {
            error = at + "Jar Folder must be a folder inside the application folder, such as lib";
            return false;
        }
        return true;
    }
};

// What the keys leave to the end: the widths, at least one jar, and a Name Windows can create.
bool finishPackage(const std::filesystem::path& file, const std::string& where, const PackageReader& reader,
                   ProjectPackage& out, std::string& error) {
    const std::string at = where + "line " + std::to_string(out.line) + ": ";
    if (!parseWidths(reader.launchers, out.widths)) {
        error = at + "Launchers must be x64, x86 or \"x64, x86\", not \"" + encodeUtf8(reader.launchers) + "\"";
        return false;
    }
    if (out.inputs.empty()) {
        error = at + "[Package] names no jars: add Jars=... (files, folders or wildcards such as build/libs/*.jar)";
        return false;
    }
    if (out.name.empty()) out.name = textOfPath(file.stem());
    if (const std::string problem = launcherNameProblem(out.name); !problem.empty()) {
        Text shown = out.name;  // the message stays one line
        for (wchar_t& unit : shown)
            if (unit < 0x20 || unit == 0x7F) unit = L'?';
        error = (reader.nameLine ? where + "line " + std::to_string(reader.nameLine) + ": " : at) + "Name \"" +
                encodeUtf8(shown) + "\" " + problem + ": choose a Name that Windows can use as a file name";
        return false;
    }
    if (out.outputFolder.empty()) out.outputFolder = reader.base / pathFromText(out.name);
    return true;
}

}  // namespace

bool readProject(const std::filesystem::path& file, AppProject& project, std::string& error) {
    project = AppProject();
    project.file = file;
    const std::string where = utf8Of(file) + ": ";
    Text text;
    if (!readWholeFile(file, project.bytes, error)) return false;
    if (!decodeTextFile(project.bytes, text)) {
        error = where + "it is not UTF-8 or UTF-16 text with a byte-order mark";
        return false;
    }
    IniSection package;
    if (!splitProjectSections(text, where, project, package, error)) return false;
    if (!checkServiceSettings(project.settings, error) || !checkRestartExitCode(project.settings, error)) {
        error = where + error;
        return false;
    }

    ProjectPackage& out = project.package;
    out.line = package.line;
    PackageReader reader{file.parent_path(), out};
    std::vector<const IniPair*> seen;
    for (const IniPair& pair : package.pairs) {
        const std::string at = where + "line " + std::to_string(pair.line) + ": ";
        for (const IniPair* earlier : seen)
            if (equalsNoCase(earlier->key, pair.key)) {
                error = at + "the key \"" + encodeUtf8(pair.key) + "\" appears again in [Package]";
                return false;
            }
        seen.push_back(&pair);
        if (!reader.read(pair, at, error)) return false;
    }
    if (!finishPackage(file, where, reader, out, error)) return false;
    for (const Width width : {Width::X64, Width::X86}) {
        const int index = static_cast<int>(width);
        if (out.runtimeDownloads[index].empty()) continue;
        if (!fillRuntimeDownload(project.settings, widthName(width), out.runtimeDownloads[index],
                                 out.runtimeDownloadLines[index], error)) {
            error = where + error;
            return false;
        }
    }
    return true;
}

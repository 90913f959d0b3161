#include "installer/msi_package.h"

#include <algorithm>
#include <fstream>

#include "installer/installer_layout.h"
#include "installer/msi_database.h"
#include "installer/msi_summary.h"
#include "installer/msi_tables.h"
#include "installer/msi_tools.h"
#include "installer/settings_removal.h"
#include "package/packager.h"
#include "package/identity_codes.h"
#include "system/platform.h"
#include "texts/text_codec.h"

namespace fs = std::filesystem;

namespace {

std::string xml(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string xml(const Text& text) { return xml(encodeUtf8(text)); }

std::string scopeName(const InstallerInput& in) { return in.options.perMachine ? "machine" : "user"; }

// The numbers of a version; false past four or a number above 65535.
bool versionParts(const Text& version, std::vector<unsigned long>& parts) {
    parts.clear();
    for (const Text& piece : splitText(version, L".")) {
        if (piece.empty() || piece.size() > 5 || !std::all_of(piece.begin(), piece.end(), [](wchar_t unit) {
                return unit >= L'0' && unit <= L'9';
            }))
            return false;
        parts.push_back(std::stoul(encodeUtf8(piece)));
    }
    return !parts.empty() && parts.size() <= 4;
}

class SourceWriter {
public:
    SourceWriter(const InstallerInput& in, std::string& out) : in(in), out(out) {}

    bool write(std::string& error) {
        if (!checkFiles(error)) return false;
        const InstallerFolder root = installerFolderTree(in);
        const bool x64 = in.width == Width::X64;
        registryRoot = in.options.perMachine ? "HKLM" : "HKCU";
        const Text manufacturer = in.manufacturer.empty() ? in.productName : in.manufacturer;
        line("<?xml version=\"1.0\" encoding=\"utf-8\"?>");
        line("<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">");
        line("  <Product Id=\"" + encodeUtf8(installerProductCode(in)) + "\" Name=\"" + xml(in.productName) +
             "\" Language=\"1033\" Codepage=\"65001\" Version=\"" + xml(in.version) + "\" Manufacturer=\"" +
             xml(manufacturer) + "\" UpgradeCode=\"" + encodeUtf8(in.upgradeCode) + "\">");
        // The revision number (the package code) and the times are put in by the packer afterwards.
        line("    <Package InstallerVersion=\"500\" Compressed=\"yes\" InstallScope=\"" +
             std::string(in.options.perMachine ? "perMachine" : "perUser") + "\" Keywords=\"Installer," +
             kInstallerMark + "\" Description=\"" + xml(in.productName) + "\"" +
"/>");
        line("    <Media Id=\"1\" Cabinet=\"app.cab\" EmbedCab=\"yes\"/>");
        line("    <MajorUpgrade DowngradeErrorMessage=\"A newer version of [ProductName] is already installed: "
             "remove it first to install this one.\"/>");
        if (!in.icon.empty()) {
            line("    <Icon Id=\"app.ico\" SourceFile=\"" + xml(sourcePath(in.icon)) + "\"/>");
            line("    <Property Id=\"ARPPRODUCTICON\" Value=\"app.ico\"/>");
        }
        line("    <Property Id=\"ARPNOMODIFY\" Value=\"1\"/>");
        line("    <Property Id=\"ARPNOREPAIR\" Value=\"1\"/>");
        line("    <Directory Id=\"TARGETDIR\" Name=\"SourceDir\">");
        line("      <Directory Id=\"ProgramMenuFolder\"/>");
        if (in.options.desktopShortcut) line("      <Directory Id=\"DesktopFolder\"/>");
        if (in.options.perMachine) {
            line(std::string("      <Directory Id=\"") + (x64 ? "ProgramFiles64Folder" : "ProgramFilesFolder") + "\">");
        } else {
            // The user's programs folder, %LOCALAPPDATA%\Programs: nothing there needs an administrator.
            line("      <Directory Id=\"LocalAppDataFolder\">");
            line("      <Directory Id=\"UserProgramsFolder\" Name=\"Programs\">");
        }
        line("        <Directory Id=\"INSTALLDIR\" Name=\"" + xml(in.folderName) + "\">");
        writeFolder(root, "", "INSTALLDIR", "          ");
        line("        </Directory>");
        if (!in.options.perMachine) line("      </Directory>");
        line("      </Directory>");
        line("    </Directory>");
        line("    <Feature Id=\"Application\" Level=\"1\">");
        for (const std::string& component : components) line("      <ComponentRef Id=\"" + component + "\"/>");
        line("    </Feature>");
        line("  </Product>");
        line("</Wix>");
        return true;
    }

private:
    // The launcher and the file types' icons are files of the folder.
    bool checkFiles(std::string& error) const {
        if (std::none_of(in.files.begin(), in.files.end(),
                         [&](const InstallerFile& file) { return file.target == in.launcher; })) {
            error = "the installer's launcher " + in.launcher + " is not in the folder";
            return false;
        }
        for (const InstallerFileType& type : in.options.fileTypes)
            if (!type.icon.empty() && std::none_of(in.files.begin(), in.files.end(), [&](const InstallerFile& file) {
                    return file.target == encodeUtf8(type.icon);
                })) {
                error = "File Types: the icon " + encodeUtf8(type.icon) + " of " + encodeUtf8(type.extension) +
                        " is not a file of the application folder";
                return false;
            }
        return true;
    }

    void line(const std::string& text) { out += text + "\n"; }

    void writeFolder(const InstallerFolder& folder, const std::string& path, const std::string& id,
                     const std::string& indent) {
        for (const auto& [name, inner] : folder.folders) {
            const std::string innerPath = path + name + "/";
            const std::string innerId = installerId('d', innerPath);
            line(indent + "<Directory Id=\"" + innerId + "\" Name=\"" + xml(name) + "\">");
            writeFolder(inner, innerPath, innerId, indent + "  ");
            line(indent + "</Directory>");
        }
        for (const InstallerFile* file : folder.files) {
            const std::string component = installerId('c', file->target);
            components.push_back(component);
            const bool launcher = file->target == in.launcher;
            line(indent + "<Component Id=\"" + component + "\" Guid=\"" +
                 encodeUtf8(installerComponentCode(in, file->target)) + "\"" +
                 (in.width == Width::X64 ? " Win64=\"yes\"" : "") + ">");
            line(indent + "  <File Id=\"" + fileId(file->target) + "\" Name=\"" +
                 xml(file->target.substr(file->target.rfind('/') + 1)) + "\" Source=\"" +
                 xml(sourcePath(file->source)) + "\" KeyPath=\"yes\"/>");
            if (launcher) writeLauncherParts(indent + "  ");
            line(indent + "</Component>");
            (void)id;
        }
    }

    std::string fileId(const std::string& target) const { return installerId('f', target); }

    // wixl takes sources relative to the folder of the WiX source file.
    std::string sourcePath(const fs::path& path) const {
        std::error_code code;
        const fs::path full = fs::absolute(path, code), base = fs::absolute(in.sourceFolder, code);
        return full.lexically_relative(base).generic_string();
    }

    // What starts the launcher: shortcuts, file types, link schemes, the service; and the folders to
    // remove with it.
    void writeLauncherParts(const std::string& indent) {
        const std::string launcher = "[#" + fileId(in.launcher) + "]";
        const std::string shortcut = xml(installerShortcutName(in));
        line(indent + "<Shortcut Id=\"StartMenuShortcut\" Directory=\"ProgramMenuFolder\" Name=\"" + shortcut +
             "\" Target=\"" + launcher + "\" WorkingDirectory=\"INSTALLDIR\"/>");
        if (in.options.desktopShortcut)
            line(indent + "<Shortcut Id=\"DesktopShortcut\" Directory=\"DesktopFolder\" Name=\"" + shortcut +
                 "\" Target=\"" + launcher + "\" WorkingDirectory=\"INSTALLDIR\"/>");
        for (const InstallerRegistryValue& value : installerRegistryValues(in))
            line(indent + "<RegistryValue Id=\"" + value.id + "\" Root=\"" + registryRoot + "\" Key=\"" +
                 xml(value.key) + "\"" + (value.name.empty() ? "" : " Name=\"" + xml(value.name) + "\"") +
                 " Type=\"string\" Value=\"" + xml(value.value) + "\"/>");
        if (in.service) {
            const ServiceDefinition& service = in.serviceDefinition;
            const std::string startType = installerServiceStart(in);
            line(indent + "<ServiceInstall Id=\"Service\" Name=\"" + xml(service.name) + "\" DisplayName=\"" +
                 xml(service.displayName) + "\"" +
                 (service.description.empty() ? "" : " Description=\"" + xml(service.description) + "\"") +
                 " Type=\"ownProcess\" Start=\"" + startType + "\" ErrorControl=\"normal\" Vital=\"yes\"/>");
            line(indent + "<ServiceControl Id=\"ServiceControl\" Name=\"" + xml(service.name) + "\"" +
                 (installerServiceStartsOnInstall(in) ? " Start=\"install\"" : "") +
                 " Stop=\"both\" Remove=\"uninstall\" Wait=\"yes\"/>");
        }
        // The installer removes the folders of the components it removes once empty; the top folder is
        // named too, for a per-user install, whose profile folders it would otherwise keep.
        line(indent + "<RemoveFolder Id=\"RemoveInstallFolder\" On=\"uninstall\"/>");
    }

    const InstallerInput& in;
    std::string& out;
    std::string registryRoot;
    std::vector<std::string> components;
};

bool removeQuietly(const fs::path& path) {
    std::error_code ignored;
    fs::remove(path, ignored);
    return false;
}

}  // namespace

Text installerFileName(const Text& name, const Text& version, Width width) {
    Text widthText;
    decodeUtf8(widthName(width), widthText);
    return name + L"-" + version + L"-" + widthText + L".msi";
}

std::string installerVersionProblem(const Text& version) {
    std::vector<unsigned long> parts;
    if (!versionParts(version, parts))
        return "is not a version of up to four numbers, such as 1.2.3";
    if (parts[0] > 255 || (parts.size() > 1 && parts[1] > 255) || (parts.size() > 2 && parts[2] > 65535))
        return "is above what Windows Installer compares (at most 255.255.65535)";
    return std::string();
}

Text installerProductCode(const InstallerInput& in) {
    return guidFromSeed("vornicpack product code\n" + encodeUtf8(in.upgradeCode) + "\n" + encodeUtf8(in.version) +
                        "\n" + widthName(in.width) + "\n" + scopeName(in));
}

Text installerComponentCode(const InstallerInput& in, const std::string& target) {
    // The installed path differs by width and scope, and a component code names one path.
    return guidFromSeed("vornicpack component code\n" + encodeUtf8(in.upgradeCode) + "\n" + widthName(in.width) +
                        "\n" + scopeName(in) + "\n" + target);
}

bool installerSource(const InstallerInput& in, std::string& source, std::string& error) {
    source.clear();
    if (const std::string problem = installerVersionProblem(in.version); !problem.empty()) {
        error = "Version \"" + encodeUtf8(in.version) + "\" " + problem;
        return false;
    }
    SourceWriter writer(in, source);
    if (!writer.write(error)) {
        source.clear();
        return false;
    }
    return true;
}

namespace {

// The package code changes with anything in the package: its source, the rows added to it and every
// file's bytes. Where the files lie now is no part of the package: the seed's source names them by target.
bool packageCodeOf(const InstallerInput& in, Text& packageCode, std::string& error) {
    InstallerInput placeless = in;
    placeless.sourceFolder = ".";
    for (InstallerFile& file : placeless.files) file.source = file.target;
    if (!placeless.icon.empty()) placeless.icon = "icon";
    std::string placelessSource;
    if (!installerSource(placeless, placelessSource, error)) return false;
    std::string seed = "vornicpack package code\n" + placelessSource;
    if (in.options.removeUserSettings)
        seed += "removes " + encodeUtf8(in.userSettings.productName) + "\n" + encodeUtf8(in.userSettings.productCode) +
                "\n" + encodeUtf8(in.userSettings.fileName) + "\n";
    if (!in.icon.empty()) {
        Bytes icon;
        if (!readWholeFile(in.icon, icon, error)) return false;
        seed += "icon\n" + installerHex(std::string(icon.begin(), icon.end())) + "\n";
    }
    for (const InstallerFile& file : in.files) {
        Bytes bytes;
        if (!readWholeFile(file.source, bytes, error)) return false;
        seed += file.target + "\n" + installerHex(std::string(bytes.begin(), bytes.end())) + "\n";
    }
    packageCode = guidFromSeed(seed);
    return true;
}

}  // namespace

#ifndef _WIN32
namespace {

// wixl writes the database from the WiX source; msibuild adds the rows wixl cannot write.
bool writeWithMsitools(const InstallerInput& in, const std::string& source, const fs::path& package,
                       std::string& error) {
    std::error_code code;
    const fs::path wxs = fs::path(package).concat(".wxs"), log = fs::path(package).concat(".log");
    {
        std::ofstream file(wxs, std::ios::binary | std::ios::trunc);
        file << source;
        if (!file.flush()) {
            error = "cannot write " + utf8Of(wxs);
            return removeQuietly(wxs);
        }
    }
    const bool written =
        runMsiTool({"wixl", "-a", in.width == Width::X64 ? "x64" : "x86", "-o", package.string(), wxs.string()}, log,
                   error);
    fs::remove(wxs, code);
    if (!written) {
        error = "cannot write " + utf8Of(package) + ": " + error;
        return removeQuietly(package);
    }
    if (in.options.removeUserSettings &&
        !addSettingsRemoval(package, in.userSettings, installerId('c', in.launcher), error))
        return removeQuietly(package);
    return true;
}

}  // namespace
#endif

bool writeInstaller(const InstallerInput& in, const fs::path& package, std::string& error) {
    std::error_code code;
    fs::remove(package, code);
    std::string source;
    Text packageCode;
    if (!installerSource(in, source, error) || !packageCodeOf(in, packageCode, error)) return false;
#ifdef _WIN32
    // The same tables through the system's msi.dll; the WiX source only checks the input.
    InstallerTables tables;
    if (!installerTables(in, packageCode, tables, error) ||
        !writeMsiDatabase(tables, package, in.sourceDateEpoch, error))
        return false;
#else
    if (!writeWithMsitools(in, source, package, error)) return false;
#endif
    Bytes bytes;
    if (!readWholeFile(package, bytes, error) || !normaliseSummary(bytes, packageCode, in.sourceDateEpoch, error))
        return removeQuietly(package);
    std::ofstream file(package, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file.flush()) {
        error = "cannot write " + utf8Of(package) + ": the folder is not writable or the disk is full";
        return removeQuietly(package);
    }
    return true;
}

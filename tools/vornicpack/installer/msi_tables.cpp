#include "installer/msi_tables.h"

#include <ctime>

#include "installer/installer_layout.h"
#include "installer/msi_summary.h"
#include "settings/settings_cipher.h"
#include "system/platform.h"
#include "texts/text_codec.h"

namespace {

using Row = std::vector<std::string>;

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(separator, from)) != std::string::npos; from = at + 1)
        parts.push_back(text.substr(from, at - from));
    parts.push_back(text.substr(from));
    return parts;
}

// A table from its archive header: "Column\tColumn", "s72\tI2", "Table\tKey".
MsiTable table(const char* columns, const char* types, const char* nameAndKeys) {
    MsiTable out;
    out.columns = split(columns, '\t');
    out.types = split(types, '\t');
    out.keys = split(nameAndKeys, '\t');
    out.name = out.keys.front();
    out.keys.erase(out.keys.begin());
    return out;
}

MsiTable sequence(const char* name, const std::vector<std::pair<const char*, int>>& actions,
                  const char* condition = "") {
    MsiTable out = table("Action\tCondition\tSequence", "s72\tS255\tI2", (std::string(name) + "\tAction").c_str());
    for (const auto& [action, number] : actions) out.rows.push_back({action, condition, std::to_string(number)});
    return out;
}

// The four numbers of a file hash: the MD5 digest as four little-endian signed 32-bit numbers.
Row fileHash(const std::string& fileId, const Bytes& bytes) {
    const Md5Digest digest = md5(bytes.data(), bytes.size());
    Row row{fileId, "0"};
    for (int part = 0; part < 4; ++part) {
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i) value = value << 8 | digest[part * 4 + i];
        row.push_back(std::to_string(static_cast<std::int32_t>(value)));
    }
    return row;
}

class TableBuilder {
public:
    TableBuilder(const InstallerInput& in, InstallerTables& out) : in(in), out(out) {}

    bool build(const Text& packageCode, std::string& error) {
        component = installerId('c', in.launcher);
        if (!folderTables(error)) return false;
        productTables();
        launcherTables();
        serviceTables();
        removalTables();
        sequenceTables();
        emptyTables();
        summary(packageCode);
        return true;
    }

private:
    bool folderTables(std::string& error) {
        const bool x64 = in.width == Width::X64;
        MsiTable directories = table("Directory\tDirectory_Parent\tDefaultDir", "s72\tS72\tl255", "Directory\tDirectory");
        directories.rows.push_back({"TARGETDIR", "", "SourceDir"});
        directories.rows.push_back({"ProgramMenuFolder", "TARGETDIR", "."});
        if (in.options.desktopShortcut) directories.rows.push_back({"DesktopFolder", "TARGETDIR", "."});
        if (in.options.perMachine) {
            directories.rows.push_back({x64 ? "ProgramFiles64Folder" : "ProgramFilesFolder", "TARGETDIR", "."});
            directories.rows.push_back({"INSTALLDIR", x64 ? "ProgramFiles64Folder" : "ProgramFilesFolder",
                                        encodeUtf8(in.folderName)});
        } else {
            directories.rows.push_back({"LocalAppDataFolder", "TARGETDIR", "."});
            directories.rows.push_back({"UserProgramsFolder", "LocalAppDataFolder", "Programs"});
            directories.rows.push_back({"INSTALLDIR", "UserProgramsFolder", encodeUtf8(in.folderName)});
        }
        files = table("File\tComponent_\tFileName\tFileSize\tVersion\tLanguage\tAttributes\tSequence",
                      "s72\ts72\tl255\ti4\tS72\tS20\tI2\ti4", "File\tFile");
        components = table("Component\tComponentId\tDirectory_\tAttributes\tCondition\tKeyPath",
                           "s72\tS38\ts72\ti2\tS255\tS72", "Component\tComponent");
        features = table("Feature_\tComponent_", "s38\ts72", "FeatureComponents\tFeature_\tComponent_");
        hashes = table("File_\tOptions\tHashPart1\tHashPart2\tHashPart3\tHashPart4", "s72\ti2\ti4\ti4\ti4\ti4",
                       "MsiFileHash\tFile_");
        if (!addFolder(installerFolderTree(in), "", "INSTALLDIR", directories, error)) return false;
        for (MsiTable* done : {&directories, &files, &components, &features, &hashes}) out.tables.push_back(*done);
        return true;
    }

    bool addFolder(const InstallerFolder& folder, const std::string& path, const std::string& id, MsiTable& directories,
                   std::string& error) {
        for (const auto& [name, inner] : folder.folders) {
            const std::string innerPath = path + name + "/", innerId = installerId('d', innerPath);
            directories.rows.push_back({innerId, id, name});
            if (!addFolder(inner, innerPath, innerId, directories, error)) return false;
        }
        for (const InstallerFile* file : folder.files) {
            Bytes bytes;
            if (!readWholeFile(file->source, bytes, error)) return false;
            const std::string fileId = installerId('f', file->target), componentId = installerId('c', file->target);
            out.cabinet.push_back(file);
            files.rows.push_back({fileId, componentId, file->target.substr(file->target.rfind('/') + 1),
                                  std::to_string(bytes.size()), "", "", "512", std::to_string(out.cabinet.size())});
            components.rows.push_back({componentId, encodeUtf8(installerComponentCode(in, file->target)), id,
                                       in.width == Width::X64 ? "256" : "0", "", fileId});
            features.rows.push_back({"Application", componentId});
            hashes.rows.push_back(fileHash(fileId, bytes));
        }
        return true;
    }

    void productTables() {
        const std::string version = encodeUtf8(in.version), upgradeCode = encodeUtf8(in.upgradeCode);
        MsiTable feature = table("Feature\tFeature_Parent\tTitle\tDescription\tDisplay\tLevel\tDirectory_\tAttributes",
                                 "s38\tS38\tL64\tL255\tI2\ti2\tS72\ti2", "Feature\tFeature");
        feature.rows.push_back({"Application", "", "", "", "2", "1", "", "0"});
        MsiTable media = table("DiskId\tLastSequence\tDiskPrompt\tCabinet\tVolumeLabel\tSource",
                               "i2\ti4\tL64\tS255\tS32\tS72", "Media\tDiskId");
        media.rows.push_back({"1", std::to_string(out.cabinet.size()), "", std::string("#") + kInstallerCabinet, "", ""});
        MsiTable properties = table("Property\tValue", "s72\tl0", "Property\tProperty");
        const auto property = [&](const std::string& name, const std::string& value) {
            properties.rows.push_back({name, value});
        };
        if (!in.icon.empty()) property("ARPPRODUCTICON", "app.ico");
        if (in.options.perMachine) property("ALLUSERS", "1");
        property("ARPNOMODIFY", "1");
        property("ARPNOREPAIR", "1");
        property("Manufacturer", encodeUtf8(in.manufacturer.empty() ? in.productName : in.manufacturer));
        property("ProductLanguage", "1033");
        property("ProductCode", encodeUtf8(installerProductCode(in)));
        property("ProductName", encodeUtf8(in.productName));
        property("ProductVersion", version);
        property("UpgradeCode", upgradeCode);
        property("SecureCustomProperties", "WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED");
        MsiTable upgrade = table("UpgradeCode\tVersionMin\tVersionMax\tLanguage\tAttributes\tRemove\tActionProperty",
                                 "s38\tS20\tS20\tS255\ti4\tS255\ts72",
                                 "Upgrade\tUpgradeCode\tVersionMin\tVersionMax\tLanguage\tAttributes");
        upgrade.rows.push_back({upgradeCode, "", version, "", "1", "", "WIX_UPGRADE_DETECTED"});
        upgrade.rows.push_back({upgradeCode, version, "", "", "2", "", "WIX_DOWNGRADE_DETECTED"});
        MsiTable launch = table("Condition\tDescription", "s255\tl255", "LaunchCondition\tCondition");
        launch.rows.push_back({"NOT WIX_DOWNGRADE_DETECTED",
                               "A newer version of [ProductName] is already installed: remove it first to install "
                               "this one."});
        MsiTable icons = table("Name\tData", "s72\tv0", "Icon\tName");
        if (!in.icon.empty()) {
            icons.rows.push_back({"app.ico", "Icon.app.ico"});
            icons.streams.push_back(in.icon);
        }
        for (MsiTable* done : {&feature, &media, &properties, &upgrade, &launch, &icons}) out.tables.push_back(*done);
    }

    void launcherTables() {
        const std::string launcher = "[#" + installerId('f', in.launcher) + "]";
        MsiTable shortcuts = table("Shortcut\tDirectory_\tName\tComponent_\tTarget\tArguments\tDescription\tHotkey\tIcon_"
                                   "\tIconIndex\tShowCmd\tWkDir\tDisplayResourceDLL\tDisplayResourceId\t"
                                   "DescriptionResourceDLL\tDescriptionResourceId",
                                   "s72\ts72\tl128\ts72\ts72\tS255\tL255\tI2\tS72\tI2\tI2\tS72\tS255\tI2\tS255\tI2",
                                   "Shortcut\tShortcut");
        const std::string name = encodeUtf8(installerShortcutName(in));
        const auto shortcut = [&](const char* id, const char* folder) {
            shortcuts.rows.push_back(
                {id, folder, name, component, launcher, "", "", "", "", "", "", "INSTALLDIR", "", "", "", ""});
        };
        shortcut("StartMenuShortcut", "ProgramMenuFolder");
        if (in.options.desktopShortcut) shortcut("DesktopShortcut", "DesktopFolder");
        MsiTable registry = table("Registry\tRoot\tKey\tName\tValue\tComponent_", "s72\ti2\tl255\tL255\tL0\ts72",
                                  "Registry\tRegistry");
        for (const InstallerRegistryValue& value : installerRegistryValues(in))
            registry.rows.push_back(
                {value.id, in.options.perMachine ? "2" : "1", value.key, value.name, value.value, component});
        hasRegistry = !registry.rows.empty();
        out.tables.push_back(shortcuts);
        out.tables.push_back(registry);
    }

    void serviceTables() {
        MsiTable services = table("ServiceInstall\tName\tDisplayName\tServiceType\tStartType\tErrorControl\t"
                                  "LoadOrderGroup\tDependencies\tStartName\tPassword\tArguments\tComponent_\tDescription",
                                  "s72\ts255\tL255\ti4\ti4\ti4\tS255\tS255\tS255\tS255\tS255\ts72\tL255",
                                  "ServiceInstall\tServiceInstall");
        MsiTable controls = table("ServiceControl\tName\tEvent\tArguments\tWait\tComponent_", "s72\tl255\ti2\tL255\tI2\ts72",
                                  "ServiceControl\tServiceControl");
        if (in.service) {
            const ServiceDefinition& service = in.serviceDefinition;
            const std::string start = installerServiceStart(in);
            // Own process (16); start 2 auto, 3 demand, 4 disabled; normal error control (1).
            services.rows.push_back({"Service", encodeUtf8(service.name), encodeUtf8(service.displayName), "16",
                                     start == "auto" ? "2" : start == "demand" ? "3" : "4", "1", "", "", "", "", "",
                                     component, encodeUtf8(service.description)});
            // Stop on install and uninstall (2, 32), remove on uninstall (128), start on install (1).
            controls.rows.push_back({"ServiceControl", encodeUtf8(service.name),
                                     std::to_string(162 + (installerServiceStartsOnInstall(in) ? 1 : 0)), "", "1",
                                     component});
        }
        out.tables.push_back(services);
        out.tables.push_back(controls);
    }

    // The installed folder, and with Remove User Settings the settings file and its folders. Their
    // rows come before the custom actions that name the same properties, so that a writer's string
    // pool takes their keys in the order Wine's installer must remove them in (settings_removal.cpp).
    void removalTables() {
        MsiTable removals = table("FileKey\tComponent_\tFileName\tDirProperty\tInstallMode", "s72\ts72\tL255\ts72\ti2",
                                  "RemoveFile\tFileKey");
        removals.rows.push_back({"RemoveInstallFolder", component, "", "INSTALLDIR", "2"});
        MsiTable actions =
            table("Action\tType\tSource\tTarget\tExtendedType", "s72\ti2\tS72\tS255\tI4", "CustomAction\tAction");
        if (in.options.removeUserSettings)
            for (const SettingsRemovalRows& added : settingsRemovalRows(in.userSettings, component)) {
                MsiTable* into = std::string(added.table) == "RemoveFile" ? &removals
                                 : std::string(added.table) == "CustomAction" ? &actions
                                                                               : nullptr;
                for (const std::string& row : added.rows)
                    (into ? into->rows : removalSequence).push_back(split(row, '\t'));
            }
        out.tables.push_back(removals);
        out.tables.push_back(actions);
    }

    void sequenceTables() {
        std::vector<std::pair<const char*, int>> execute = {
            {"FindRelatedProducts", 25}, {"LaunchConditions", 100}, {"ValidateProductID", 700},
            {"CostInitialize", 800},     {"FileCost", 900},         {"CostFinalize", 1000},
            {"MigrateFeatureStates", 1200}, {"InstallValidate", 1400}, {"RemoveExistingProducts", 1401},
            {"InstallInitialize", 1500}, {"ProcessComponents", 1600}, {"UnpublishFeatures", 1800}};
        if (hasRegistry) execute.push_back({"RemoveRegistryValues", 2600});
        execute.insert(execute.end(), {{"RemoveShortcuts", 3200}, {"RemoveFiles", 3500}, {"InstallFiles", 4000},
                                       {"CreateShortcuts", 4500}});
        if (hasRegistry) execute.push_back({"WriteRegistryValues", 5000});
        execute.insert(execute.end(), {{"RegisterUser", 6000}, {"RegisterProduct", 6100}, {"PublishFeatures", 6300},
                                       {"PublishProduct", 6400}, {"InstallFinalize", 6600}});
        MsiTable installExecute = sequence("InstallExecuteSequence", execute);
        if (in.service)
            for (const auto& [action, number] : std::vector<std::pair<const char*, int>>{
                     {"StopServices", 1900}, {"DeleteServices", 2000}, {"InstallServices", 5800}, {"StartServices", 5900}})
                installExecute.rows.push_back({action, "VersionNT", std::to_string(number)});
        for (const Row& row : removalSequence) installExecute.rows.push_back(row);
        out.tables.push_back(installExecute);
        out.tables.push_back(sequence("InstallUISequence", {{"FindRelatedProducts", 25}, {"LaunchConditions", 100},
                                                            {"ValidateProductID", 700}, {"CostInitialize", 800},
                                                            {"FileCost", 900}, {"CostFinalize", 1000},
                                                            {"MigrateFeatureStates", 1200}, {"ExecuteAction", 1300}}));
        out.tables.push_back(sequence("AdvtExecuteSequence", {{"CostInitialize", 800}, {"CostFinalize", 1000},
                                                              {"InstallValidate", 1400}, {"InstallInitialize", 1500},
                                                              {"CreateShortcuts", 4500}, {"PublishFeatures", 6300},
                                                              {"PublishProduct", 6400}, {"InstallFinalize", 6600}}));
        out.tables.push_back(sequence("AdminExecuteSequence", {{"CostInitialize", 800}, {"FileCost", 900},
                                                               {"CostFinalize", 1000}, {"InstallValidate", 1400},
                                                               {"InstallInitialize", 1500}, {"InstallFiles", 4000},
                                                               {"InstallFinalize", 6600}, {"InstallAdminPackage", 3900}}));
        out.tables.push_back(sequence("AdminUISequence", {{"CostInitialize", 800}, {"FileCost", 900},
                                                          {"CostFinalize", 1000}, {"ExecuteAction", 1300}}));
    }

    // wixl's schema holds these whether rows use them or not.
    void emptyTables() {
        out.tables.push_back(table("Property\tSignature_", "s72\ts72", "AppSearch\tProperty\tSignature_"));
        out.tables.push_back(table("Name\tData", "s72\tv0", "Binary\tName"));
        out.tables.push_back(table("Directory_\tComponent_", "s72\ts72", "CreateFolder\tDirectory_\tComponent_"));
        out.tables.push_back(table("Error\tMessage", "i2\tL0", "Error\tError"));
        out.tables.push_back(table("Signature_\tRoot\tKey\tName\tType", "s72\ti2\ts255\tS255\tI2", "RegLocator\tSignature_"));
        out.tables.push_back(table("Signature\tFileName\tMinVersion\tMaxVersion\tMinSize\tMaxSize\tMinDate\tMaxDate\t"
                                   "Languages",
                                   "s72\ts255\tS20\tS20\tI4\tI4\tI4\tI4\tS255", "Signature\tSignature"));
    }

    void summary(const Text& packageCode) {
        const std::string product = encodeUtf8(in.productName);
        const long long epoch = in.sourceDateEpoch < 0 ? 315532800 : in.sourceDateEpoch;
        using P = MsiSummaryProperty;
        // Word count: compressed files (2), and for a per-user package no elevation asked (8).
        out.summary = {{1, P::Short, 65001, ""},
                       {2, P::String, 0, "Installation Database"},
                       {3, P::String, 0, product},
                       {4, P::String, 0, encodeUtf8(in.manufacturer.empty() ? in.productName : in.manufacturer)},
                       {5, P::String, 0, std::string("Installer,") + kInstallerMark},
                       {6, P::String, 0, "This installer database contains the logic and data required to install " +
                                             product + "."},
                       {7, P::String, 0, in.width == Width::X64 ? "x64;1033" : "Intel;1033"},
                       {9, P::String, 0, encodeUtf8(packageCode)},
                       {12, P::Time, epoch, ""},
                       {13, P::Time, epoch, ""},
                       {14, P::Long, 500, ""},
                       {15, P::Long, in.options.perMachine ? 2 : 10, ""},
                       {18, P::String, 0, kInstallerMark},
                       {19, P::Long, 2, ""}};
    }

    const InstallerInput& in;
    InstallerTables& out;
    std::string component;  // the launcher's: shortcuts, registry values, the service and removals belong to it
    MsiTable files, components, features, hashes;
    std::vector<Row> removalSequence;
    bool hasRegistry = false;
};

}  // namespace

bool installerTables(const InstallerInput& in, const Text& packageCode, InstallerTables& tables, std::string& error) {
    tables = InstallerTables();
    TableBuilder builder(in, tables);
    if (builder.build(packageCode, error)) return true;
    tables = InstallerTables();
    return false;
}

std::string archiveText(const MsiTable& table) {
    const auto line = [](const std::vector<std::string>& cells) {
        std::string text;
        for (std::size_t i = 0; i < cells.size(); ++i) text += (i ? "\t" : "") + cells[i];
        return text + "\r\n";
    };
    std::vector<std::string> nameAndKeys{table.name};
    nameAndKeys.insert(nameAndKeys.end(), table.keys.begin(), table.keys.end());
    std::string text = line(table.columns) + line(table.types) + line(nameAndKeys);
    for (const Row& row : table.rows) text += line(row);
    return text;
}

std::string summaryArchiveText(const std::vector<MsiSummaryProperty>& summary) {
    std::string text = "PropertyId\tValue\r\ni2\tl255\r\n_SummaryInformation\tPropertyId\r\n";
    for (const MsiSummaryProperty& property : summary) {
        std::string value = property.text;
        if (property.kind == MsiSummaryProperty::Short || property.kind == MsiSummaryProperty::Long) {
            value = std::to_string(property.number);
        } else if (property.kind == MsiSummaryProperty::Time) {
            const std::time_t seconds = static_cast<std::time_t>(property.number);
            std::tm parts{};
#ifdef _WIN32
            gmtime_s(&parts, &seconds);
#else
            gmtime_r(&seconds, &parts);
#endif
            char buffer[32];
            std::strftime(buffer, sizeof buffer, "%Y/%m/%d %H:%M:%S", &parts);
            value = buffer;
        }
        text += std::to_string(property.id) + "\t" + value + "\r\n";
    }
    return text;
}

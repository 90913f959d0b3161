#include "installer/installer_build.h"

#include <algorithm>

#include "installer/msi_package.h"
#include "installer/msi_summary.h"
#include "project/project_settings.h"
#include "system/platform.h"
#include "texts/text_codec.h"

namespace fs = std::filesystem;

namespace {

bool isGuid(const Text& text) {
    if (text.size() != 38 || text[0] != L'{' || text[37] != L'}') return false;
    for (std::size_t i = 1; i < 37; ++i) {
        const wchar_t unit = text[i];
        if (i == 9 || i == 14 || i == 19 || i == 24) {
            if (unit != L'-') return false;
        } else if (!((unit >= L'0' && unit <= L'9') || (unit >= L'A' && unit <= L'F'))) {
            return false;
        }
    }
    return true;
}

Text versionOf(const AppProject& project) {
    if (!project.package.version.empty()) return project.package.version;
    const Text given = settingOf(project.settings, Setting::ProductVersion);
    return given.empty() ? Text(L"1.0.0.0") : given;
}

bool sameFile(const fs::path& a, const fs::path& b) {
    Bytes left, right;
    std::string ignored;
    return readWholeFile(a, left, ignored) && readWholeFile(b, right, ignored) && left == right;
}

// The files of the folder that belong to the package of `width`: the other width's launcher, its
// INI file and its runtime stay out.
bool belongsTo(const ProjectPackage& package, Width width, const std::string& target) {
    if (package.widths.size() < 2) return true;
    const Width other = width == Width::X64 ? Width::X86 : Width::X64;
    Text exe = launcherFileName(package, other), ini = exe;
    replaceExtension(ini, L"ini");
    const std::string runtime = encodeUtf8(runtimeFolderName(other)) + "/";
    return target != encodeUtf8(exe) && target != encodeUtf8(ini) && target.rfind(runtime, 0) != 0;
}

}  // namespace

bool InstallerOutputs::plan(const AppProject& project_, const fs::path& folder, const fs::path& zip,
                            const std::vector<BuildInput>& inputs, std::string& error) {
    project = &project_;
    targets.clear();
    if (!wanted()) return true;
    const ProjectPackage& package = project->package;
    const std::string at = utf8Of(project->file) + ": line " + std::to_string(package.installer.line) + ": ";
    const Text version = versionOf(*project);
    if (const std::string problem = installerVersionProblem(version); !problem.empty()) {
        error = at + "Installer=msi: the version \"" + encodeUtf8(version) + "\" " + problem +
                ": set Version in [Package]";
        return false;
    }
    const Text upgradeCode = settingOf(project->settings, Setting::UpgradeCode);
    if (!upgradeCode.empty() && !isGuid(upgradeCode)) {
        error = at + "Installer=msi: the Upgrade Code \"" + encodeUtf8(upgradeCode) +
                "\" is the installer's upgrade code and must be a GUID in upper case, such as "
                "{0B5C7C1E-2F4A-4E39-8C3B-6D2E1F0A9B87}";
        return false;
    }
    const fs::path beside = zip.empty() ? folder.parent_path() : zip.parent_path();
    for (const Width width : package.widths) {
        Target target;
        target.width = width;
        target.path = beside / pathFromText(installerFileName(package.name, version, width));
        target.staged = besideTarget(target.path, kStagedSuffix);
        target.aside = besideTarget(target.path, kAsideSuffix);
        const std::string shown = "the installer " + utf8Of(target.path);
        for (const BuildInput& input : inputs)
            if (std::error_code same; fs::equivalent(input.path, target.path, same)) {
                error = shown + " is also " + input.kind + " " + utf8Of(input.path) +
                        ": rename the input or change Name or Version";
                return false;
            }
        std::error_code code;
        const fs::file_status status = fs::symlink_status(target.path, code);
        if (fs::exists(status) && (!fs::is_regular_file(status) || !isPackerInstaller(target.path))) {
            error = shown + " exists and is not a package vornicpack wrote (its summary keywords lack \"" +
                    kInstallerMark + "\"): move it away, or change Name or Version";
            return false;
        }
        for (const fs::path& leftover : {target.staged, target.aside}) {
            const fs::file_status left = fs::symlink_status(leftover, code);
            if (fs::exists(left) && (!fs::is_regular_file(left) || !isPackerInstaller(leftover))) {
                error = utf8Of(leftover) +
                        " holds something vornicpack did not write, under a name it builds with: move it away";
                return false;
            }
        }
        targets.push_back(std::move(target));
    }
    return true;
}

bool InstallerOutputs::stage(const fs::path& built, const std::vector<PlannedFile>& files, const Text& upgradeCode,
                             long long sourceDateEpoch, std::string& error) {
    if (!wanted()) return true;
    for (Target& target : targets) {
        std::error_code code;
        fs::remove(target.staged, code);
        fs::remove(target.aside, code);
        InstallerInput in = inputFor(target, built, files);
        in.upgradeCode = upgradeCode;
        in.sourceDateEpoch = sourceDateEpoch;
        if (!writeInstaller(in, target.staged, error)) {
            error = utf8Of(project->file) + ": " + error;
            abandon();
            return false;
        }
        target.changed = !sameFile(target.staged, target.path);
    }
    return true;
}

InstallerInput InstallerOutputs::inputFor(const Target& target, const fs::path& built,
                                          const std::vector<PlannedFile>& files) const {
    const ProjectPackage& package = project->package;
    InstallerInput in;
    in.folderName = package.name;
    in.productName = settingOf(project->settings, Setting::ProductName);
    if (in.productName.empty()) in.productName = package.name;
    in.manufacturer = package.company;
    in.version = versionOf(*project);
    in.width = target.width;
    in.options = package.installer;
    in.launcher = encodeUtf8(launcherFileName(package, target.width));
    in.icon = package.icon;
    in.sourceFolder = target.staged.parent_path().empty() ? fs::path(".") : target.staged.parent_path();
    for (const PlannedFile& file : files) {
        if (!belongsTo(package, target.width, file.target)) continue;
        Text name;
        decodeUtf8(file.target, name);
        in.files.push_back({file.target, built / pathFromText(name)});
    }
    // Where this width's launcher keeps the user's settings: its product as the INI beside it names it.
    in.userSettings.productName = settingOf(project->settings, Setting::ProductName);
    in.userSettings.productCode = settingOf(project->settings, Setting::ProductCode);
    in.userSettings.fileName = launcherFileName(package, target.width);
    replaceExtension(in.userSettings.fileName, L"ini");
    if (settingOf(project->settings, Setting::ApplicationType) == L"service") {
        in.service = true;
        ServiceDefinition& service = in.serviceDefinition;
        service.name = package.serviceName.empty() ? package.name : package.serviceName;
        service.displayName = package.serviceDisplayName;
        if (service.displayName.empty()) service.displayName = in.productName;
        service.description = package.serviceDescription;
        service.start = package.serviceStart;
        service.launcher = launcherFileName(package, target.width);
    }
    return in;
}

bool InstallerOutputs::signStaged(const std::function<bool(const fs::path&, std::string&)>& sign,
                                  std::string& error) {
    for (Target& target : targets) {
        if (!sign(target.staged, error)) {
            abandon();
            return false;
        }
        target.changed = !sameFile(target.staged, target.path);
    }
    return true;
}

bool InstallerOutputs::swapIn(std::string& error) {
    for (Target& target : targets) {
        if (!target.changed) continue;
        std::error_code code;
        target.hadPrevious = fs::exists(target.path, code);
        if (target.hadPrevious) fs::rename(target.path, target.aside, code);
        if (!code) fs::rename(target.staged, target.path, code);
        if (code) {
            error = "cannot replace " + utf8Of(target.path) + ": " + code.message();
            if (target.hadPrevious && !fs::exists(target.path)) fs::rename(target.aside, target.path, code);
            swapBack();
            abandon();
            return false;
        }
        target.moved = true;
    }
    return true;
}

void InstallerOutputs::swapBack() {
    for (Target& target : targets) {
        if (!target.moved) continue;
        std::error_code code;
        fs::rename(target.path, target.staged, code);
        if (target.hadPrevious) fs::rename(target.aside, target.path, code);
        target.moved = false;
    }
    abandon();
}

void InstallerOutputs::finish(std::vector<std::string>& notes) {
    for (Target& target : targets) {
        std::error_code code;
        fs::remove(target.aside, code);
        fs::remove(target.staged, code);
        notes.push_back("wrote " + utf8Of(target.path));
    }
}

void InstallerOutputs::abandon() {
    for (const Target& target : targets) {
        std::error_code code;
        fs::remove(target.staged, code);
    }
}

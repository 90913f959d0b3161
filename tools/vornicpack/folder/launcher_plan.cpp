#include "folder/launcher_plan.h"

#include <algorithm>
#include <set>

#include "project/project_settings.h"
#include "package/identity_codes.h"
#include "package/packager.h"
#include "pe/pe_image.h"
#include "support/pe_headers.h"
#include "system/platform.h"
#include "texts/text_codec.h"

namespace fs = std::filesystem;

namespace {

std::string subsystemName(std::uint16_t subsystem) {
    if (subsystem == kSubsystemWindows) return "windowed (GUI)";
    if (subsystem == kSubsystemConsole) return "console";
    return std::to_string(subsystem);
}

bool readStub(const BuildRequest& request, const ProjectPackage& package, Width width, Bytes& bytes,
              std::string& error) {
    const std::string stubName = stubFileName(package);
    const char* kind = package.console ? "console" : "windowed";
    const fs::path stub = stubPath(request, package, width);
    if (!readWholeFile(stub, bytes, error)) {
        error += ": give the folder that holds x64/" + stubName + " and x86/" + stubName + " with --stubs";
        return false;
    }
    PeImage image;
    std::string problem;
    if (!image.parse(bytes, problem) || image.machine() != (width == Width::X64 ? kMachineAmd64 : kMachineI386)) {
        error = utf8Of(stub) + ": it is not the " + widthName(width) + " " + kind + " launcher stub" +
                (problem.empty() ? "" : " (" + problem + ")");
        return false;
    }
    const std::uint16_t wanted = package.console ? kSubsystemConsole : kSubsystemWindows;
    if (image.subsystem() == wanted) return true;
    error = utf8Of(stub) + ": it is not the " + widthName(width) + " " + kind + " launcher stub (its subsystem is " +
            subsystemName(image.subsystem()) + ", not " + subsystemName(wanted) + "): put " + stubName +
            " from the launcher's build there";
    return false;
}

bool readText(const fs::path& path, Text& text, std::string& error) {
    Bytes bytes;
    if (!readWholeFile(path, bytes, error)) return false;
    if (decodeTextFile(bytes, text)) return true;
    error = utf8Of(path) + " is not UTF-8 or UTF-16 text with a byte-order mark";
    return false;
}

// What packaging takes for the launcher of `width`, but the stub.
bool packageInputs(const LauncherJob& job, Width width, const Text& upgradeCode, PackageInputs& in,
                   std::string& error) {
    const ProjectPackage& package = job.project.package;
    std::vector<IniSection> own = job.project.settings;
    // Both widths name each other, relative to their own folder.
    if (package.widths.size() == 2)
        putSetting(own, Setting::PairProduct, launcherFileName(package, width == Width::X64 ? Width::X86 : Width::X64));
    in.settingsText = settingsText(own);
    if (!package.strings.empty()) {
        if (!readText(package.strings, in.stringsText, error)) return false;
        in.hasStrings = true;
    }
    if (!package.icon.empty()) {
        if (!readWholeFile(package.icon, in.icon, error)) return false;
        in.hasIcon = true;
    }
    in.version = package.version;
    in.languages = package.languages;
    if (!package.downloadPage.empty()) in.downloadPage = package.downloadPage;
    in.companyName = package.company;
    in.copyright = package.copyright;
    in.outputFileName = launcherFileName(package, width);
    in.generatedUpgradeCode = upgradeCode;
    return true;
}

// The file a packaging error is about, named in front of it.
std::string packageErrorLine(const LauncherJob& job, Width width, const PackageError& fault) {
    const ProjectPackage& package = job.project.package;
    switch (fault.input) {
        case PackageInput::Stub: return utf8Of(stubPath(job.request, package, width)) + ": " + fault.text;
        case PackageInput::Settings:
        case PackageInput::Version: return utf8Of(job.request.project) + ": " + fault.text;
        case PackageInput::Strings: return utf8Of(package.strings) + ": " + fault.text;
        case PackageInput::Icon: return utf8Of(package.icon) + ": " + fault.text;
        case PackageInput::None:
        case PackageInput::Languages: break;
    }
    return fault.line();
}

// The launcher of `width` and the INI file beside it.
bool packageLauncher(const LauncherJob& job, Width width, const Text& derivedCode, std::vector<PlannedFile>& files,
                     SplitSettings& settings, std::string& error) {
    PackageInputs in;
    in.stub = job.stubs.bytes[static_cast<int>(width)];
    if (!packageInputs(job, width, derivedCode, in, error)) return false;
    PackageOutput out;
    PackageError fault;
    if (!buildPackage(in, out, fault)) {
        error = packageErrorLine(job, width, fault);
        return false;
    }
    Text iniName = in.outputFileName;
    replaceExtension(iniName, L"ini");
    for (auto& [name, bytes] : {std::pair{in.outputFileName, &out.executable}, std::pair{iniName, &out.besideIni}}) {
        PlannedFile file;
        file.target = encodeUtf8(name);
        file.generated = true;
        file.bytes = std::move(*bytes);
        files.push_back(std::move(file));
    }
    settings = std::move(out.settings);
    return true;
}

// Windows does not tell letter case apart: two targets that differ only in it would be one file.
bool checkDistinctTargets(const std::vector<PlannedFile>& plan, const std::string& where, std::string& error) {
    std::set<std::string> seen;
    for (const PlannedFile& file : plan) {
        std::string lower = file.target;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (seen.insert(lower).second) continue;
        error = where + "two shipped files would both be " + file.target + " (Windows does not tell case apart)";
        return false;
    }
    return true;
}

}  // namespace

fs::path stubPath(const BuildRequest& request, const ProjectPackage& package, Width width) {
    return request.stubs / widthName(width) / stubFileName(package);
}

bool readStubs(const BuildRequest& request, const ProjectPackage& package, const std::string& where,
               LauncherStubs& stubs, std::string& error) {
    for (const Width width : package.widths)
        if (!readStub(request, package, width, stubs.bytes[static_cast<int>(width)], error)) return false;
    // A runtime for a width that --launchers leaves out is simply not shipped; in the project it is a slip.
    for (const Width width : {Width::X64, Width::X86})
        if (request.launchers.empty() && !package.runtimes[static_cast<int>(width)].empty() &&
            std::find(package.widths.begin(), package.widths.end(), width) == package.widths.end()) {
            error = where + "Runtime " + widthName(width) + " is given, but no " + widthName(width) +
                    " launcher is built: add it to Launchers or remove the runtime";
            return false;
        }
    return true;
}

bool planLaunchers(const LauncherJob& job, std::vector<PlannedFile>& plan, Text& upgradeCode,
                   std::vector<std::string>& notes, std::string& error) {
    const ProjectPackage& package = job.project.package;
    if (package.widths.size() == 2 && hasSetting(job.project.settings, Setting::PairProduct)) {
        error = job.where + "with both launchers the packer sets \"Pair Product\" itself: remove it from [Application]";
        return false;
    }
    // The generated Upgrade Code is derived from the project, so that the same project gives the same files.
    const Text derivedCode =
        guidFromSeed("vornicpack upgrade code\n" + std::string(job.project.bytes.begin(), job.project.bytes.end()));
    std::set<std::string> targets;
    for (const PlannedFile& file : plan) targets.insert(file.target);
    for (const Width width : package.widths) {
        std::vector<PlannedFile> files;
        SplitSettings settings;
        if (!packageLauncher(job, width, derivedCode, files, settings, error)) return false;
        if (width == package.widths.front()) {
            upgradeCode = settings.upgradeCode;
            if (settings.upgradeCodeGenerated)
                notes.push_back("Upgrade Code " + encodeUtf8(settings.upgradeCode) +
                                ": derived from the project; add it to [Product Information] to keep it when the "
                                "project changes");
        }
        for (PlannedFile& file : files) {
            if (!targets.insert(file.target).second) {
                error = job.where + "two files would be " + file.target + ": rename the shipped one or change Name";
                return false;
            }
            plan.push_back(std::move(file));
        }
    }
    if (!checkDistinctTargets(plan, job.where, error)) return false;
    std::sort(plan.begin(), plan.end(), [](const PlannedFile& a, const PlannedFile& b) { return a.target < b.target; });
    return true;
}

#include "folder/application_folder.h"

#include <algorithm>
#include <fstream>
#include <set>

#include "folder/folder_checks.h"
#include "folder/build_lock.h"
#include "installer/installer_build.h"
#include "archive/jar_contents.h"
#include "folder/output_guard.h"
#include "folder/output_swap.h"
#include "package/identity_codes.h"
#include "package/packager.h"
#include "pe/pe_image.h"
#include "system/platform.h"
#include "runtime/java_version.h"
#include "project/service_scripts.h"
#include "package/signing.h"
#include "texts/text_codec.h"
#include "package/verify.h"
#include "archive/zip_archive.h"

namespace fs = std::filesystem;

namespace {

const wchar_t* const kRuntimeSection = L"Java Runtime Environment";

std::string targetOf(const Text& windowsName) {
    std::string name = encodeUtf8(windowsName);
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

IniPair* findSetting(std::vector<IniSection>& sections, const wchar_t* section, const wchar_t* key) {
    for (IniSection& candidate : sections)
        if (candidate.name == section)
            for (IniPair& pair : candidate.pairs)
                if (pair.key == key) return &pair;
    return nullptr;
}

Text settingOf(std::vector<IniSection>& sections, const wchar_t* section, const wchar_t* key) {
    const IniPair* pair = findSetting(sections, section, key);
    return pair ? profileValue(pair->value) : Text();
}

// Sets a value the packer decides; an existing empty pair is filled rather than repeated.
void putSetting(std::vector<IniSection>& sections, const wchar_t* section, const wchar_t* key, const Text& value) {
    if (IniPair* pair = findSetting(sections, section, key)) {
        pair->value = value;
        return;
    }
    for (IniSection& candidate : sections)
        if (candidate.name == section) {
            candidate.pairs.push_back({key, value, 0});
            return;
        }
    sections.push_back({section, 0, {{key, value, 0}}});
}

Text settingsText(const std::vector<IniSection>& sections) {
    Text text;
    for (const IniSection& section : sections) {
        text += L"[" + section.name + L"]\n";
        for (const IniPair& pair : section.pairs) text += pair.key + L"=" + pair.value + L"\n";
        text += L"\n";
    }
    return text;
}

// The files of `folder`, in name order, under `target`.
bool planFolder(const fs::path& folder, const std::string& target, std::vector<PlannedFile>& plan, std::string& error) {
    std::error_code code;
    std::vector<fs::path> files;
    for (fs::recursive_directory_iterator it(folder, code), end; !code && it != end; it.increment(code))
        if (it->is_regular_file(code)) files.push_back(it->path());
    if (code) {
        error = "cannot list " + displayPath(folder) + ": " + code.message();
        return false;
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        PlannedFile planned;
        std::string relative = utf8Of(file.lexically_relative(folder));
        std::replace(relative.begin(), relative.end(), '\\', '/');
        planned.target = target + "/" + relative;
        planned.source = file;
        plan.push_back(std::move(planned));
    }
    return true;
}

bool readSource(const PlannedFile& file, Bytes& bytes, std::string& error) {
    if (file.generated) {
        bytes = file.bytes;
        return true;
    }
    return readWholeFile(file.source, bytes, error);
}

bool writeBytes(const fs::path& path, const Bytes& bytes) {
    std::error_code code;
    fs::create_directories(path.parent_path(), code);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (out) out.close();
    return static_cast<bool>(out);
}

std::string subsystemName(std::uint16_t subsystem) {
    if (subsystem == kSubsystemWindows) return "windowed (GUI)";
    if (subsystem == kSubsystemConsole) return "console";
    return std::to_string(subsystem);
}

// One build: each step checks or plans a part of the folder and says false with `error` set; only
// the last one writes.
class ApplicationBuild {
public:
    ApplicationBuild(const BuildRequest& request, std::vector<std::string>& notes, std::string& error)
        : request(request), notes(notes), error(error) {}

    bool run() {
        notes.clear();
        if (!readProject(request.project, project, error)) return false;
        if (!request.launchers.empty()) package.widths = request.launchers;
        where = displayPath(request.project) + ": ";
        return readSigning() && readStubs() && planInputs() && settleMainClass() && planRuntimes() && planSplash() &&
               settleClassPath() && planServiceScripts() && checkInstaller() && planLaunchers() && writeFolder();
    }

private:
    fs::path stubPath(Width width) const { return request.stubs / widthName(width) / stubFileName(package); }

    bool readSigning() {
        if (project.signing.empty()) return true;
        return readSigningSection(project.signing.front(), request.project.parent_path(), where, signing, error);
    }

    // A fixed signing time, the zip's, keeps the bytes the same (signing.h).
    long long signingTime() const { return request.sourceDateEpoch < 0 ? 315532800 : request.sourceDateEpoch; }

    // Signs a launcher where it was staged, so that the folder and the zip get the same signed bytes.
    bool signStaged(const PlannedFile& file, const fs::path& staged, Bytes& bytes) {
        bool launcher = false;
        for (const Width width : package.widths) launcher = launcher || file.target == encodeUtf8(launcherFileName(package, width));
        if (!signing.enabled() || !launcher) return true;
        return signExecutable(signing, staged, signingTime(), error) && readWholeFile(staged, bytes, error);
    }

    // What `vornicpack verify` says about the staged folder; what the packer wrote wrong fails the
    // build, what the inputs lack (a version text, a stub's appended bytes) is a note.
    bool verifyStaged(const fs::path& built, const fs::path& target) {
        VerifyOptions options;
        options.expectSigned = signing.enabled();
        VerifyReport report;
        if (!verifyShipment(built, options, report, error)) return false;
        for (const std::string& note : report.notes) notes.push_back(note);
        std::string refusal;
        for (const VerifyFinding& finding : report.findings) {
            Text file;
            decodeUtf8(finding.file, file);
            const std::string line = displayPath(target / pathFromText(file)) + ": " + finding.text;
            if (finding.kind == FindingKind::Texts || finding.kind == FindingKind::Appended) notes.push_back(line);
            else if (refusal.empty()) refusal = line;
        }
        if (refusal.empty()) return true;
        error = refusal;
        return false;
    }

    bool readStubs() {
        // The stubs, each of its own width and of the kind Console asks for: a windowed stub given
        // as the console one would ship launchers that lose the program's output and exit code.
        const std::string stubName = stubFileName(package);
        const char* kind = package.console ? "console" : "windowed";
        for (const Width width : package.widths) {
            const fs::path stub = stubPath(width);
            PeImage image;
            std::string problem;
            Bytes& bytes = stubs[static_cast<int>(width)];
            if (!readWholeFile(stub, bytes, error)) {
                error += ": give the folder that holds x64/" + stubName + " and x86/" + stubName + " with --stubs";
                return false;
            }
            if (!image.parse(bytes, problem) || image.machine() != (width == Width::X64 ? 0x8664 : 0x014C)) {
                error = displayPath(stub) + ": it is not the " + widthName(width) + " " + kind + " launcher stub" +
                        (problem.empty() ? "" : " (" + problem + ")");
                return false;
            }
            const std::uint16_t wanted = package.console ? kSubsystemConsole : kSubsystemWindows;
            if (image.subsystem() != wanted) {
                error = displayPath(stub) + ": it is not the " + widthName(width) + " " + kind +
                        " launcher stub (its subsystem is " + subsystemName(image.subsystem()) + ", not " +
                        subsystemName(wanted) + "): put " + stubName + " from the launcher's build there";
                return false;
            }
        }
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

    bool planInputs() {
        // The shipped jars and folders, under Jar Folder.
        const std::string jarFolder = targetOf(package.jarFolder);
        for (const fs::path& input : package.inputs) {
            const std::string target = (jarFolder.empty() ? "" : jarFolder + "/") + utf8Of(input.filename());
            inputTargets.push_back(target);
            std::error_code code;
            if (fs::is_directory(input, code)) {
                if (!planFolder(input, target, plan, error)) return false;
            } else {
                PlannedFile file;
                file.target = target;
                file.source = input;
                plan.push_back(std::move(file));
            }
        }
        return true;
    }

    bool settleMainClass() {
        // The main class: given, or the first jar's Main-Class; it must be shipped, and it says which Java
        // the program needs at least.
        Text mainClass = settingOf(settings, kRuntimeSection, L"Main Class");
        if (mainClass.empty()) {
            std::string fromManifest;
            fs::path jar;
            if (!mainClassOfFirstJar(package.inputs, fromManifest, jar, error)) return false;
            decodeUtf8(fromManifest, mainClass);
            putSetting(settings, kRuntimeSection, L"Main Class", mainClass);
            notes.push_back("Main Class " + fromManifest + ": the Main-Class of " + displayPath(jar) + "'s manifest");
        }
        if (!findMainClass(encodeUtf8(mainClass), package.inputs, inputTargets, found, error)) {
            if (error.rfind("the Main Class", 0) == 0) error = where + error;
            return false;
        }
        notes.insert(notes.end(), found.notes.begin(), found.notes.end());
        needed = javaVersionNeeded(found);
        const Text neededText(needed.begin(), needed.end());
        const Text minimum = settingOf(settings, kRuntimeSection, L"Minimum Version");
        const std::string versioned =
            found.release ? " (META-INF/versions/" + std::to_string(found.release) + "/ only)" : std::string();
        const std::string classWhere = encodeUtf8(mainClass) + " in " + found.target + versioned +
                                       " is compiled for Java " + needed + " (class file version " +
                                       std::to_string(found.major) + ")";
        if (minimum.empty()) {
            putSetting(settings, kRuntimeSection, L"Minimum Version", neededText);
            notes.push_back("Minimum Version " + needed + ": what " + classWhere.substr(0, classWhere.find(" is ")) +
                            " needs (class file version " + std::to_string(found.major) + ")");
        } else if (versionBelow(minimum, neededText)) {
            error = where + classWhere + ", but \"Minimum Version\" is " + encodeUtf8(minimum) + ": a Java " +
                    encodeUtf8(minimum) +
                    " runtime would fail with UnsupportedClassVersionError; set \"Minimum Version\" to " + needed +
                    ", or compile for " + encodeUtf8(minimum) + " (javac --release)";
            return false;
        }
        maximum = settingOf(settings, kRuntimeSection, L"Maximum Version");
        if (!maximum.empty() && maximum != L"any") {
            JavaVersion upper, need;
            if (upper.parse(maximum, 65535) && need.parse(neededText, 0) && upper < need) {
                error = where + classWhere + ", but \"Maximum Version\" is " + encodeUtf8(maximum) +
                        ": no runtime that the launcher accepts can run it; raise \"Maximum Version\"";
                return false;
            }
        }
        return true;
    }

    bool planRuntimes() {
        // The runtimes beside their launchers.
        const Text jvmType = settingOf(settings, kRuntimeSection, L"JVM Type");
        for (const Width width : package.widths) {
            const fs::path& runtime = package.runtimes[static_cast<int>(width)];
            if (runtime.empty()) continue;
            if (!checkRuntime(runtime, width, jvmType, settingOf(settings, kRuntimeSection, L"Minimum Version"),
                              maximum, error) ||
                !planFolder(runtime, encodeUtf8(runtimeFolderName(width)), plan, error))
                return false;
        }
        return true;
    }

    bool planSplash() {
        // The splash picture beside the launchers.
        if (!package.splash.empty()) {
            if (!settingOf(settings, L"Display", L"Splash Screen").empty()) {
                error =
                    where + "give the splash picture once: as Splash Screen in [Package] (copied in) or in [Display]";
                return false;
            }
            PlannedFile file;
            file.target = utf8Of(package.splash.filename());
            file.source = package.splash;
            Bytes probe;
            if (!readWholeFile(file.source, probe, error)) return false;
            Text splashName;
            decodeUtf8(file.target, splashName);
            putSetting(settings, L"Display", L"Splash Screen", splashName);
            plan.push_back(std::move(file));
        }
        return true;
    }

    bool settleClassPath() {
        // The class path: given, or every shipped jar and folder; each entry must resolve in the folder.
        Text classPath = settingOf(settings, L"Class Path", L"Class Path");
        if (classPath.empty()) {
            for (const std::string& target : inputTargets) {
                Text entry;
                decodeUtf8(target, entry);
                std::replace(entry.begin(), entry.end(), L'/', L'\\');
                classPath += (classPath.empty() ? L"" : L";") + entry;
            }
            putSetting(settings, L"Class Path", L"Class Path", classPath);
            notes.push_back("Class Path " + encodeUtf8(classPath) + ": every shipped jar and folder");
        }
        TextList unchecked;
        if (!checkClassPath(classPath, plan, found.target, unchecked, error)) {
            error = where + error;
            return false;
        }
        for (const Text& entry : unchecked)
            notes.push_back("class path entry " + encodeUtf8(entry) + " lies outside the folder: not checked");
        return true;
    }

    bool planServiceScripts() {
        // A service gets the scripts that register it and remove it again; Service keys for an
        // application that is not one are a slip.
        if (settingOf(settings, L"Application", L"Application Type") != L"service") {
            if (!package.serviceLine) return true;
            error = where + "line " + std::to_string(package.serviceLine) +
                    ": Service keys are given, but [Application] \"Application Type\" is not service";
            return false;
        }
        ServiceDefinition service;
        service.name = package.serviceName.empty() ? package.name : package.serviceName;
        service.displayName = package.serviceDisplayName;
        if (service.displayName.empty()) service.displayName = settingOf(settings, L"Product Information", L"Product Name");
        if (service.displayName.empty()) service.displayName = service.name;
        service.description = package.serviceDescription;
        service.start = package.serviceStart;
        service.launcher = launcherFileName(package, package.widths.front());
        ServiceScripts scripts;
        if (!makeServiceScripts(service, scripts, error)) {
            error = where + error;
            return false;
        }
        for (const auto& [name, text] : {std::pair{"install-service.cmd", &scripts.install},
                                         std::pair{"uninstall-service.cmd", &scripts.uninstall}}) {
            PlannedFile file;
            file.target = name;
            file.generated = true;
            file.bytes.assign(text->begin(), text->end());
            plan.push_back(std::move(file));
        }
        notes.push_back("install-service.cmd and uninstall-service.cmd: the service " + encodeUtf8(service.name));
        return true;
    }

    bool checkInstaller() {
        return checkInstallerOptions(package.installer,
                                     settingOf(settings, L"Application", L"Application Type") == L"service", where,
                                     error);
    }

    bool planLaunchers() {
        // Both widths name each other, relative to their own folder.
        if (package.widths.size() == 2 && findSetting(settings, L"Application", L"Pair Product")) {
            error = where + "with both launchers the packer sets \"Pair Product\" itself: remove it from [Application]";
            return false;
        }

        // One launcher per width; the generated Upgrade Code is derived from the project, so that the
        // same project gives the same files.
        const Text upgradeCode =
            guidFromSeed("vornicpack upgrade code\n" + std::string(project.bytes.begin(), project.bytes.end()));
        std::set<std::string> targets;
        for (const PlannedFile& file : plan) targets.insert(file.target);
        for (const Width width : package.widths) {
            std::vector<IniSection> own = settings;
            if (package.widths.size() == 2)
                putSetting(own, L"Application", L"Pair Product",
                           launcherFileName(package, width == Width::X64 ? Width::X86 : Width::X64));
            PackageInputs in;
            in.stub = stubs[static_cast<int>(width)];
            in.settingsText = settingsText(own);
            auto readText = [&](const fs::path& path, Text& text) {
                Bytes bytes;
                if (!readWholeFile(path, bytes, error)) return false;
                if (decodeTextFile(bytes, text)) return true;
                error = displayPath(path) + " is not UTF-8 or UTF-16 text with a byte-order mark";
                return false;
            };
            if (!package.strings.empty()) {
                if (!readText(package.strings, in.stringsText)) return false;
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
            PackageOutput out;
            if (!buildPackage(in, out, error)) {
                const std::pair<const char*, fs::path> sources[] = {
                    {"stub: ", stubPath(width)},
                    {"settings: ", request.project},
                    {"strings: ", package.strings},
                    {"icon: ", package.icon},
                    {"version: ", request.project}};
                for (const auto& [prefix, path] : sources)
                    if (error.rfind(prefix, 0) == 0) {
                        error = displayPath(path) + ": " + error.substr(std::char_traits<char>::length(prefix));
                        break;
                    }
                return false;
            }
            if (width == package.widths.front()) installerUpgradeCode = out.settings.upgradeCode;
            if (out.settings.upgradeCodeGenerated && width == package.widths.front())
                notes.push_back(
                    "Upgrade Code " + encodeUtf8(out.settings.upgradeCode) +
                    ": derived from the project; add it to [Product Information] to keep it when the project changes");
            Text iniName = in.outputFileName;
            replaceExtension(iniName, L"ini");
            for (auto& [name, bytes] :
                 {std::pair{in.outputFileName, &out.executable}, std::pair{iniName, &out.besideIni}}) {
                PlannedFile file;
                file.target = encodeUtf8(name);
                file.generated = true;
                file.bytes = *bytes;
                if (!targets.insert(file.target).second) {
                    error = where + "two files would be " + file.target + ": rename the shipped one or change Name";
                    return false;
                }
                plan.push_back(std::move(file));
            }
        }
        std::set<std::string> seen;
        for (const PlannedFile& file : plan) {
            std::string lower = file.target;
            for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (!seen.insert(lower).second) {
                error =
                    where + "two shipped files would both be " + file.target + " (Windows does not tell case apart)";
                return false;
            }
        }
        std::sort(plan.begin(), plan.end(),
                  [](const PlannedFile& a, const PlannedFile& b) { return a.target < b.target; });
        return true;
    }

    // What the output may neither be, nor hold, nor lie inside.
    std::vector<BuildInput> inputsOf() const {
        std::vector<BuildInput> inputs;
        for (const fs::path& input : package.inputs) inputs.push_back({"the Jars entry", input});
        for (const Width width : {Width::X64, Width::X86})
            if (!package.runtimes[static_cast<int>(width)].empty())
                inputs.push_back(
                    {std::string("Runtime ") + widthName(width), package.runtimes[static_cast<int>(width)]});
        for (const auto& [kind, path] : {std::pair{"Icon", &package.icon}, std::pair{"Strings", &package.strings},
                                         std::pair{"Splash Screen", &package.splash}})
            if (!path->empty()) inputs.push_back({kind, *path});
        for (const Width width : package.widths)
            inputs.push_back({std::string("the ") + widthName(width) + " stub", stubPath(width)});
        return inputs;
    }

    bool lockOutput(const fs::path& target, BuildLock& lock) {
        std::error_code code;
        if (!target.parent_path().empty()) fs::create_directories(target.parent_path(), code);
        const fs::path file = besideTarget(target, kLockSuffix);
        bool busy = false;
        if (BuildLock::acquire(file, request.lockWaitMilliseconds, lock, busy, error)) return true;
        if (busy)
            error = "another build of " + displayPath(target) + " is running (it holds " + displayPath(file) +
                    "): wait for it to end";
        return false;
    }

    bool writeFolder() {
        // Everything checked: build beside the target, then move into place.
        const fs::path target = request.outputFolder.empty() ? package.outputFolder : request.outputFolder;
        const fs::path zip = request.zip.empty() ? package.zip : request.zip;
        const OutputTargets targets{request.project, target, zip,
                                    request.project.parent_path() / pathFromText(package.name)};
        const std::vector<BuildInput> inputs = inputsOf();
        for (const PlannedFile& file : plan)
            if (std::equal(file.target.begin(), file.target.end(), kOutputMarker,
                           kOutputMarker + std::char_traits<char>::length(kOutputMarker),
                           [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; })) {
                error = where + "a shipped file would be " + file.target +
                        ", the name of the packer's own marker: rename it";
                return false;
            }
        if (!checkOutputs(targets, inputs, error)) {
            error = where + error;
            return false;
        }
        if (!installers.plan(project, target, zip, inputs, error)) return false;
        // One build of an output at a time; the checks again, as another build may have just ended.
        BuildLock folderLock, zipLock;
        if (!lockOutput(target, folderLock) || (!zip.empty() && !lockOutput(zip, zipLock))) return false;
        if (!checkOutputs(targets, inputs, error)) {
            error = where + error;
            return false;
        }
        const fs::path built = besideTarget(target, kStagedSuffix);
        const fs::path builtZip = zip.empty() ? fs::path() : besideTarget(zip, kStagedSuffix);
        if (!clearLeftover(built, error) || !clearLeftover(besideTarget(target, kAsideSuffix), error) ||
            (!zip.empty() && !clearLeftover(builtZip, error))) {
            error = where + error;
            return false;
        }
        std::error_code code;
        auto abandon = [&] {
            std::error_code ignored;
            fs::remove_all(built, ignored);
            if (!builtZip.empty()) fs::remove(builtZip, ignored);
            installers.abandon();
        };
        if (!fs::create_directories(built, code)) {
            error = "cannot create " + displayPath(built) + ": " + (code ? code.message() : "it exists");
            return false;
        }
        // The marker first: a staged folder that an interrupted build leaves is known as the packer's.
        const std::string marker = outputMarkerText();
        if (!writeBytes(built / kOutputMarker, Bytes(marker.begin(), marker.end()))) {
            abandon();
            error = "cannot write " + displayPath(built / kOutputMarker) +
                    ": the folder is not writable or the disk is full";
            return false;
        }
        ZipWriter writer(dosDateTime(request.sourceDateEpoch < 0 ? 0 : request.sourceDateEpoch));
        writer.setComment(kZipMarkerComment);
        const std::string top = utf8Of(target.filename()) + "/";
        std::set<std::string> folders;
        if (!zip.empty()) writer.addFolder(top);
        for (const PlannedFile& file : plan) {
            Bytes bytes;
            if (!readSource(file, bytes, error)) {
                abandon();
                return false;
            }
            Text name;
            decodeUtf8(file.target, name);
            if (!writeBytes(built / pathFromText(name), bytes)) {
                abandon();
                error = "cannot write " + displayPath(built / pathFromText(name)) +
                        ": the folder is not writable or the disk is full";
                return false;
            }
            if (!signStaged(file, built / pathFromText(name), bytes)) {
                abandon();
                return false;
            }
            if (zip.empty()) continue;
            for (std::size_t at = file.target.find('/'); at != std::string::npos; at = file.target.find('/', at + 1))
                if (folders.insert(file.target.substr(0, at + 1)).second)
                    writer.addFolder(top + file.target.substr(0, at + 1));
            if (!writer.addFile(top + file.target, bytes, error)) {
                abandon();
                return false;
            }
        }
        if (!verifyStaged(built, target)) {
            abandon();
            return false;
        }
        if (!zip.empty()) {
            Bytes archive;
            if (!writer.finish(archive, error) || !writeBytes(builtZip, archive)) {
                if (error.empty()) error = "cannot write " + displayPath(builtZip);
                abandon();
                return false;
            }
        }
        // The packages hold the signed launchers, and are signed themselves after them.
        auto signPackage = [&](const fs::path& package, std::string& problem) {
            return !signing.enabled() || signExecutable(signing, package, signingTime(), problem);
        };
        if (!installers.stage(built, plan, installerUpgradeCode, request.sourceDateEpoch, error) ||
            !installers.signStaged(signPackage, error) || !installers.swapIn(error)) {
            abandon();
            return false;
        }
        if (!swapIntoPlace(built, target, builtZip, zip, error)) {
            installers.swapBack();
            return false;
        }
        notes.push_back("wrote " + displayPath(target) + " (" + std::to_string(plan.size()) + " files)");
        if (!zip.empty()) notes.push_back("wrote " + displayPath(zip));
        installers.finish(notes);
        return true;
    }

    const BuildRequest& request;
    std::vector<std::string>& notes;
    std::string& error;
    AppProject project;
    ProjectPackage& package = project.package;
    std::vector<IniSection>& settings = project.settings;
    std::string where;
    Bytes stubs[2];
    std::vector<PlannedFile> plan;
    std::vector<std::string> inputTargets;  // where each input goes
    SigningSettings signing;
    MainClassFound found;
    std::string needed;  // the Java version the main class needs
    Text maximum;
    Text installerUpgradeCode;  // the launchers' Upgrade Code, given or derived
    InstallerOutputs installers;
};

}  // namespace

bool buildApplication(const BuildRequest& request, std::vector<std::string>& notes, std::string& error) {
    return ApplicationBuild(request, notes, error).run();
}

#include "folder/folder_plan.h"

#include <algorithm>

#include "project/project_settings.h"
#include "project/service_scripts.h"
#include "runtime/java_version.h"
#include "system/platform.h"
#include "texts/text_codec.h"

namespace fs = std::filesystem;

namespace {

std::string targetOf(const Text& windowsName) {
    std::string name = encodeUtf8(windowsName);
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

// The files of `folder`, in name order, under `target`.
bool planFolder(const fs::path& folder, const std::string& target, std::vector<PlannedFile>& plan, std::string& error) {
    std::error_code code;
    std::vector<fs::path> files;
    for (fs::recursive_directory_iterator it(folder, code), end; !code && it != end; it.increment(code))
        if (it->is_regular_file(code)) files.push_back(it->path());
    if (code) {
        error = "cannot list " + utf8Of(folder) + ": " + code.message();
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

// A Minimum Version that is given must let the main class run, and so must a Maximum Version.
bool checkVersionBounds(const std::vector<IniSection>& settings, const std::string& classWhere,
                        const std::string& needed, const std::string& where, std::string& error) {
    const Text neededText(needed.begin(), needed.end());
    const Text minimum = settingOf(settings, Setting::MinimumVersion);
    if (versionBelow(minimum, neededText)) {
        error = where + classWhere + ", but \"Minimum Version\" is " + encodeUtf8(minimum) + ": a Java " +
                encodeUtf8(minimum) + " runtime would fail with UnsupportedClassVersionError; set \"Minimum Version\" to " +
                needed + ", or compile for " + encodeUtf8(minimum) + " (javac --release)";
        return false;
    }
    const Text maximum = settingOf(settings, Setting::MaximumVersion);
    if (maximum.empty() || maximum == L"any") return true;
    JavaVersion upper, need;
    if (upper.parse(maximum, 65535) && need.parse(neededText, 0) && upper < need) {
        error = where + classWhere + ", but \"Maximum Version\" is " + encodeUtf8(maximum) +
                ": no runtime that the launcher accepts can run it; raise \"Maximum Version\"";
        return false;
    }
    return true;
}

}  // namespace

bool planInputs(const ProjectPackage& package, FolderPlan& plan, std::string& error) {
    const std::string jarFolder = targetOf(package.jarFolder);
    for (const fs::path& input : package.inputs) {
        const std::string target = (jarFolder.empty() ? "" : jarFolder + "/") + utf8Of(input.filename());
        plan.inputTargets.push_back(target);
        std::error_code code;
        if (fs::is_directory(input, code)) {
            if (!planFolder(input, target, plan.files, error)) return false;
        } else {
            PlannedFile file;
            file.target = target;
            file.source = input;
            plan.files.push_back(std::move(file));
        }
    }
    return true;
}

bool settleMainClass(AppProject& project, const FolderPlan& plan, const std::string& where, MainClassFound& found,
                     std::vector<std::string>& notes, std::string& error) {
    std::vector<IniSection>& settings = project.settings;
    const std::vector<fs::path>& inputs = project.package.inputs;
    Text mainClass = settingOf(settings, Setting::MainClass);
    if (mainClass.empty()) {
        std::string fromManifest;
        fs::path jar;
        if (!mainClassOfFirstJar(inputs, fromManifest, jar, error)) return false;
        decodeUtf8(fromManifest, mainClass);
        putSetting(settings, Setting::MainClass, mainClass);
        notes.push_back("Main Class " + fromManifest + ": the Main-Class of " + utf8Of(jar) + "'s manifest");
    }
    if (!findMainClass(encodeUtf8(mainClass), inputs, plan.inputTargets, found, error)) return false;
    if (found.target.empty()) {
        error = where + mainClassMissing(encodeUtf8(mainClass), plan.inputTargets);
        return false;
    }
    notes.insert(notes.end(), found.notes.begin(), found.notes.end());
    const std::string needed = javaVersionNeeded(found);
    const std::string versioned =
        found.release ? " (META-INF/versions/" + std::to_string(found.release) + "/ only)" : std::string();
    const std::string classWhere = encodeUtf8(mainClass) + " in " + found.target + versioned + " is compiled for Java " +
                                   needed + " (class file version " + std::to_string(found.major) + ")";
    if (!settingOf(settings, Setting::MinimumVersion).empty())
        return checkVersionBounds(settings, classWhere, needed, where, error);
    putSetting(settings, Setting::MinimumVersion, Text(needed.begin(), needed.end()));
    notes.push_back("Minimum Version " + needed + ": what " + classWhere.substr(0, classWhere.find(" is ")) +
                    " needs (class file version " + std::to_string(found.major) + ")");
    return checkVersionBounds(settings, classWhere, needed, where, error);
}

bool planRuntimes(const AppProject& project, FolderPlan& plan, std::string& error) {
    const ProjectPackage& package = project.package;
    const Text jvmType = settingOf(project.settings, Setting::JvmType);
    const Text minimum = settingOf(project.settings, Setting::MinimumVersion);
    const Text maximum = settingOf(project.settings, Setting::MaximumVersion);
    for (const Width width : package.widths) {
        const fs::path& runtime = package.runtimes[static_cast<int>(width)];
        if (runtime.empty()) continue;
        if (!checkRuntime(runtime, width, jvmType, minimum, maximum, error) ||
            !planFolder(runtime, encodeUtf8(runtimeFolderName(width)), plan.files, error))
            return false;
    }
    return true;
}

bool planSplash(AppProject& project, const std::string& where, FolderPlan& plan, std::string& error) {
    const fs::path& splash = project.package.splash;
    if (splash.empty()) return true;
    if (!settingOf(project.settings, Setting::SplashScreen).empty()) {
        error = where + "give the splash picture once: as Splash Screen in [Package] (copied in) or in [Display]";
        return false;
    }
    PlannedFile file;
    file.target = utf8Of(splash.filename());
    file.source = splash;
    Bytes probe;
    if (!readWholeFile(file.source, probe, error)) return false;
    Text splashName;
    decodeUtf8(file.target, splashName);
    putSetting(project.settings, Setting::SplashScreen, splashName);
    plan.files.push_back(std::move(file));
    return true;
}

bool settleClassPath(AppProject& project, const FolderPlan& plan, const std::string& mainClassTarget,
                     const std::string& where, std::vector<std::string>& notes, std::string& error) {
    Text classPath = settingOf(project.settings, Setting::ClassPath);
    if (classPath.empty()) {
        for (const std::string& target : plan.inputTargets) {
            Text entry;
            decodeUtf8(target, entry);
            std::replace(entry.begin(), entry.end(), L'/', L'\\');
            classPath += (classPath.empty() ? L"" : L";") + entry;
        }
        putSetting(project.settings, Setting::ClassPath, classPath);
        notes.push_back("Class Path " + encodeUtf8(classPath) + ": every shipped jar and folder");
    }
    TextList unchecked;
    if (!checkClassPath(classPath, plan.files, mainClassTarget, unchecked, error)) {
        error = where + error;
        return false;
    }
    for (const Text& entry : unchecked)
        notes.push_back("class path entry " + encodeUtf8(entry) + " lies outside the folder: not checked");
    return true;
}

bool planServiceScripts(const AppProject& project, const std::string& where, FolderPlan& plan,
                        std::vector<std::string>& notes, std::string& error) {
    const ProjectPackage& package = project.package;
    if (settingOf(project.settings, Setting::ApplicationType) != L"service") {
        if (!package.serviceLine) return true;
        error = where + "line " + std::to_string(package.serviceLine) +
                ": Service keys are given, but [Application] \"Application Type\" is not service";
        return false;
    }
    ServiceDefinition service;
    service.name = package.serviceName.empty() ? package.name : package.serviceName;
    service.displayName = package.serviceDisplayName;
    if (service.displayName.empty()) service.displayName = settingOf(project.settings, Setting::ProductName);
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
        plan.files.push_back(std::move(file));
    }
    notes.push_back("install-service.cmd and uninstall-service.cmd: the service " + encodeUtf8(service.name));
    return true;
}

#include "folder/folder_checks.h"

#include <algorithm>

#include "archive/jar_contents.h"
#include "jvm/class_path.h"
#include "pe/pe_image.h"
#include "support/pe_headers.h"
#include "system/platform.h"
#include "runtime/java_version.h"
#include "texts/text_codec.h"
#include "archive/wildcard.h"
#include "archive/zip_archive.h"

namespace {

Text windowsName(const std::string& target) {
    Text text;
    decodeUtf8(target, text);
    std::replace(text.begin(), text.end(), L'/', L'\\');
    return text;
}

bool sameNoCase(const Text& a, const Text& b) { return equalsNoCase(a, b); }

// As a first-file/next-file search matches a name: case-insensitive, "*" and "?".

// The planned folder seen through the launcher's class-path expansion.
class PlannedFolder : public ClassPathSystem {
public:
    explicit PlannedFolder(const std::vector<PlannedFile>& plan) {
        for (const PlannedFile& file : plan) {
            Text name = windowsName(file.target);
            // Every folder on the way is an entry too.
            for (std::size_t at = name.find(L'\\'); at != Text::npos; at = name.find(L'\\', at + 1))
                addEntry(name.substr(0, at));
            addEntry(name);
        }
    }
    Text expandEnvironment(const Text& text) const override { return text; }
    void findMatches(const Text& searchName, TextList& names) const override {
        const std::size_t slash = searchName.rfind(L'\\');
        const Text folder = slash == Text::npos ? Text() : searchName.substr(0, slash);
        const Text pattern = slash == Text::npos ? searchName : searchName.substr(slash + 1);
        for (const Text& entry : entries_) {
            const std::size_t cut = entry.rfind(L'\\');
            const Text parent = cut == Text::npos ? Text() : entry.substr(0, cut);
            const Text name = cut == Text::npos ? entry : entry.substr(cut + 1);
            if (sameNoCase(parent, folder) && wildcardMatches(name, pattern, true)) names.push_back(name);
        }
    }
    Text narrowSafePath(const Text& path) const override { return path; }
    const TextList& entries() const { return entries_; }

private:
    void addEntry(const Text& name) {
        for (const Text& known : entries_)
            if (sameNoCase(known, name)) return;
        entries_.push_back(name);
    }
    TextList entries_;
};

std::string listed(const std::vector<PlannedFile>& plan) {
    std::string out;
    std::size_t shown = 0;
    for (const PlannedFile& file : plan) {
        if (file.target.find(".exe") != std::string::npos || file.target.find(".ini") != std::string::npos ||
            file.target.rfind("jre", 0) == 0)
            continue;
        if (shown++ == 4) {
            out += ", ...";
            break;
        }
        out += (out.empty() ? "" : ", ") + file.target;
    }
    return out;
}

bool isJar(const std::filesystem::path& path) {
    std::error_code code;
    return std::filesystem::is_regular_file(path, code);
}

}  // namespace

bool checkClassPath(const Text& classPath, const std::vector<PlannedFile>& plan, const std::string& mainClassTarget,
                    TextList& unchecked, std::string& error) {
    unchecked.clear();
    const PlannedFolder folder(plan);
    Text resolved;
    for (const Text& raw : splitText(classPath, L";")) {
        if (raw.empty()) continue;
        Text entry = raw;
        std::replace(entry.begin(), entry.end(), L'/', L'\\');
        if (entry.find(L'%') != Text::npos || entry.find(L':') != Text::npos || entry[0] == L'\\') {
            unchecked.push_back(raw);
            continue;
        }
        Text found;
        expandClassPathEntry(entry, Text(), folder, found);
        if (found.empty()) {
            error = "the class path entry \"" + encodeUtf8(raw) +
                    "\" matches nothing in the application folder (it holds " + listed(plan) +
                    "): ship it under [Package] Jars or correct \"Class Path\" in [Class Path]";
            return false;
        }
        resolved += found;
    }
    if (!mainClassTarget.empty()) {
        const Text wanted = windowsName(mainClassTarget);
        bool onPath = false;
        for (const Text& entry : splitText(resolved, L";")) onPath = onPath || sameNoCase(entry, wanted);
        if (!onPath) {
            error = "the main class lies in " + mainClassTarget + ", which the class path \"" + encodeUtf8(classPath) +
                    "\" leaves out: add it to \"Class Path\" in [Class Path]";
            return false;
        }
    }
    return true;
}

namespace {

// Named as a jar: an extension the build tools give jars and zip archives of classes.
bool namedAsJar(const std::filesystem::path& path) {
#ifdef _WIN32
    const Text extension = path.extension().wstring();
#else
    Text extension;
    decodeUtf8(path.extension().string(), extension);
#endif
    return equalsNoCase(extension, L".jar") || equalsNoCase(extension, L".zip");
}

// The class file `entryName` in `jar`: its base entry, or in a multi-release jar the entry of the
// lowest Java version that has it (`release`), which the runtimes from that version on take.
bool readJarClass(const ZipReader& jar, const std::string& entryName, Bytes& classBytes, int& release,
                  std::string& problem) {
    release = 0;
    if (const ZipEntry* entry = jar.find(entryName)) return jar.read(*entry, classBytes, problem);
    Bytes manifest;
    const ZipEntry* manifestEntry = jar.find("META-INF/MANIFEST.MF");
    if (!manifestEntry || !jar.read(*manifestEntry, manifest, problem) || !manifestIsMultiRelease(manifest))
        return false;
    const ZipEntry* lowest = nullptr;
    for (const ZipEntry& entry : jar.entries()) {
        const int version = versionedEntryRelease(entry.name, entryName);
        if (version && (!lowest || version < release)) {
            lowest = &entry;
            release = version;
        }
    }
    return lowest && jar.read(*lowest, classBytes, problem);
}

}  // namespace

std::string javaVersionNeeded(const MainClassFound& found) {
    const int major = found.release ? std::max(found.major, found.release + 44) : found.major;
    return javaVersionOfClassFile(major);
}

namespace {

// "a.b.C" as the entry that holds it: "a/b/C.class".
std::string classEntryName(const std::string& className) {
    std::string entryName = className;
    std::replace(entryName.begin(), entryName.end(), '.', '/');
    return entryName + ".class";
}

}  // namespace

bool findMainClass(const std::string& className, const std::vector<std::filesystem::path>& inputs,
                   const std::vector<std::string>& targets, MainClassFound& found, std::string& error) {
    found = MainClassFound();
    const std::string entryName = classEntryName(className);
    MainClassFound first;
    // Every input is looked at, not only those before the main class: each file must be a jar the
    // runtime can read, or be said not to be one.
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        Bytes classBytes;
        int release = 0;
        if (isJar(inputs[i])) {
            Bytes bytes;
            ZipReader jar;
            std::string problem;
            if (!readWholeFile(inputs[i], bytes, error)) return false;
            if (!jar.open(std::move(bytes), problem)) {
                if (namedAsJar(inputs[i])) {
                    error = utf8Of(inputs[i]) + ": " + problem + ": ship only jars and folders of classes";
                    return false;
                }
                first.notes.push_back(targets[i] + " is not a jar (" + problem +
                                      "): it is shipped as it is, but the runtime finds no classes in it");
                continue;
            }
            if (!first.target.empty()) continue;
            if (!readJarClass(jar, entryName, classBytes, release, problem)) {
                if (!problem.empty()) {
                    error = utf8Of(inputs[i]) + ": " + problem;
                    return false;
                }
                continue;
            }
        } else {
            if (!first.target.empty()) continue;
            std::error_code code;
            const std::filesystem::path file = inputs[i] / pathFromText(Text(entryName.begin(), entryName.end()));
            if (!std::filesystem::is_regular_file(file, code)) continue;
            if (!readWholeFile(file, classBytes, error)) return false;
        }
        first.target = targets[i];
        first.release = release;
        first.major = classFileMajor(classBytes);
        if (first.major == 0) {
            error = utf8Of(inputs[i]) + ": " +
                    (release ? "META-INF/versions/" + std::to_string(release) + "/" : std::string()) + entryName +
                    " is not a class file";
            return false;
        }
    }
    if (!first.target.empty()) found = std::move(first);
    return true;
}

std::string mainClassMissing(const std::string& className, const std::vector<std::string>& targets) {
    std::string shipped;
    for (const std::string& target : targets) shipped += (shipped.empty() ? "" : ", ") + target;
    return "the Main Class " + className + " (" + classEntryName(className) + ") is in none of the shipped jars or " +
           "folders (" + shipped + "): correct \"Main Class\" in [Java Runtime Environment] or add its jar to Jars " +
           "in [Package]";
}

bool mainClassOfFirstJar(const std::vector<std::filesystem::path>& inputs, std::string& className,
                         std::filesystem::path& jarPath, std::string& error) {
    className.clear();
    for (const std::filesystem::path& input : inputs) {
        if (!isJar(input)) continue;
        jarPath = input;
        Bytes bytes, manifest;
        ZipReader jar;
        std::string problem;
        if (!readWholeFile(input, bytes, error)) return false;
        if (!jar.open(std::move(bytes), problem)) {
            error = utf8Of(input) + ": " + problem;
            return false;
        }
        const ZipEntry* entry = jar.find("META-INF/MANIFEST.MF");
        if (entry && !jar.read(*entry, manifest, problem)) {
            error = utf8Of(input) + ": " + problem;
            return false;
        }
        className = manifestMainClass(manifest);
        if (className.empty()) {
            error = utf8Of(input) +
                    ": the settings give no \"Main Class\" and this first jar's manifest names no "
                    "Main-Class: set \"Main Class\" in [Java Runtime Environment]";
            return false;
        }
        return true;
    }
    error =
        "the settings give no \"Main Class\" and no jar is shipped whose manifest could name it: set \"Main Class\" "
        "in [Java Runtime Environment]";
    return false;
}

bool versionBelow(const Text& version, const Text& required) {
    JavaVersion a, b;
    if (version != L"any") a.parse(version, 0);
    b.parse(required, 0);
    return JavaVersion::compare(a, b) < 0;
}

namespace {

// The runtime's jvm.dll, taken in the launcher's order of variants for this "JVM Type".
bool findRuntimeLibrary(const std::filesystem::path& folder, const Text& jvmType, const std::string& name,
                        std::filesystem::path& jvm, std::string& error) {
    std::vector<const char*> variants = {"client", "classic", "hotspot", "server", "jrockit"};
    if (jvmType == L"server") variants = {"server"};
    if (jvmType == L"favor_server") variants = {"server", "client", "classic", "hotspot", "jrockit"};
    std::error_code code;
    for (const char* variant : variants)
        if (std::filesystem::is_regular_file(folder / "bin" / variant / "jvm.dll", code)) {
            jvm = folder / "bin" / variant / "jvm.dll";
            return true;
        }
    error = utf8Of(folder) + ": " + name + " has no " +
            (jvmType == L"server" ? std::string("bin/server/jvm.dll, which \"JVM Type\" server requires")
                                  : std::string("bin/<client|server|...>/jvm.dll")) +
            ": give a runtime with that virtual machine";
    return false;
}

// The library's PE machine field must be the launcher's width: the other width's cannot be loaded.
bool checkLibraryWidth(const std::filesystem::path& jvm, Width width, const std::string& name, std::string& error) {
    Bytes bytes;
    PeImage image;
    std::string problem;
    if (!readWholeFile(jvm, bytes, error)) return false;
    if (!image.parse(std::move(bytes), problem)) {
        error = utf8Of(jvm) + ": it is not a Windows library (" + problem + ")";
        return false;
    }
    const std::uint16_t wanted = width == Width::X64 ? kMachineAmd64 : kMachineI386;
    if (image.machine() == wanted) return true;
    const std::string is = image.machine() == kMachineI386    ? "a 32-bit (x86)"
                           : image.machine() == kMachineAmd64 ? "a 64-bit (x64)"
                                                       : "another processor's";
    error = utf8Of(jvm) + ": it is " + is + " library, which the " + widthName(width) +
            " launcher cannot load: give a " + (width == Width::X64 ? "64-bit" : "32-bit") + " runtime as " + name;
    return false;
}

// JAVA_VERSION of the runtime's release file within the bounds; a runtime without one passes.
bool checkReleaseVersion(const std::filesystem::path& folder, const Text& minimumVersion, const Text& maximumVersion,
                         std::string& error) {
    Bytes release;
    std::error_code code;
    if (!std::filesystem::is_regular_file(folder / "release", code)) return true;
    if (!readWholeFile(folder / "release", release, error)) return false;
    const std::string text(release.begin(), release.end());
    const std::size_t at = text.find("JAVA_VERSION=");
    if (at == std::string::npos) return true;
    std::size_t begin = at + 13, end = text.find_first_of("\r\n", begin);
    std::string value = text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
    value.erase(std::remove(value.begin(), value.end(), '"'), value.end());
    Text version(value.begin(), value.end());
    JavaVersion found, lower, upper;
    if (!found.parse(version, 0)) return true;
    if (minimumVersion == L"any")
        lower.set(0, 0, 0, 0);
    else
        lower.parse(minimumVersion, 0);
    if (maximumVersion == L"any" || maximumVersion.empty())
        upper.set(65535, 65535, 65535, 65535);
    else if (!upper.parse(maximumVersion, 65535))
        upper.set(65535, 65535, 65535, 65535);
    if (!(found < lower) && !(found > upper)) return true;
    error = utf8Of(folder / "release") + ": the runtime is Java " + value + ", outside \"Minimum Version\" " +
            encodeUtf8(minimumVersion.empty() ? Text(L"(none)") : minimumVersion) + " and \"Maximum Version\" " +
            encodeUtf8(maximumVersion.empty() ? Text(L"(none)") : maximumVersion) +
            ": ship a runtime within them or change the bounds";
    return false;
}

}  // namespace

bool checkRuntime(const std::filesystem::path& folder, Width width, const Text& jvmType, const Text& minimumVersion,
                  const Text& maximumVersion, std::string& error) {
    const std::string name = "Runtime " + std::string(widthName(width));
    std::error_code code;
    if (!std::filesystem::is_regular_file(folder / "bin" / "java.dll", code)) {
        error = utf8Of(folder) + ": " + name + " has no bin/java.dll, so the launcher would not take it as its " +
                encodeUtf8(runtimeFolderName(width)) +
                " folder: give a Windows runtime folder (what jlink makes, or an unpacked JDK or JRE)";
        return false;
    }
    std::filesystem::path jvm;
    return findRuntimeLibrary(folder, jvmType, name, jvm, error) && checkLibraryWidth(jvm, width, name, error) &&
           checkReleaseVersion(folder, minimumVersion, maximumVersion, error);
}

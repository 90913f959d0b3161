#include "jvm/class_path.h"

#include "support/path.h"

namespace {

void appendEntry(const Text& path, const ClassPathSystem& system, Text& classPath) {
    classPath += system.narrowSafePath(path);
    classPath += L';';
}

}  // namespace

Text buildClassPath(const Text& setting, const Text& exeFolder, const ClassPathSystem& system) {
    Text classPath;
    for (const Text& raw : splitText(setting, L";")) {
        const Text entry = system.expandEnvironment(raw);
        const bool pattern = entry.find(L'*') != Text::npos;
        if (isAbsolutePath(entry) && !pattern) {
            appendEntry(entry, system, classPath);
        } else {
            expandClassPathEntry(entry, exeFolder, system, classPath);
        }
    }
    return classPath;
}

void expandClassPathEntry(const Text& entry, const Text& exeFolder, const ClassPathSystem& system,
                          Text& classPath) {
    const std::size_t slash = entry.rfind(L'\\');
    Text searchName;
    Text prefix;
    if (isAbsolutePath(entry)) {
        searchName = entry;
        if (slash != Text::npos) prefix = entry.substr(0, slash + 1);
    } else {
        searchName = exeFolder + entry;
        prefix = exeFolder;
        if (slash != Text::npos && slash != 0) prefix += entry.substr(0, slash + 1);
    }
    TextList names;
    system.findMatches(searchName, names);
    for (const Text& name : names) appendEntry(prefix + name, system, classPath);
}

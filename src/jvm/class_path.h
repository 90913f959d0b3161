// The class path from the "Class Path" setting: entries relative to the executable's folder, "*"
// patterns searched in the file system, absolute entries kept whether or not they exist.
//
//   Text classPath = buildClassPath(setting, L"C:\\app\\", system);   // "C:\app\lib\a.jar;C:\x.jar;"
#pragma once

#include "support/text.h"

// What building a class path needs from the system; the Win32 layer and tests supply it.
class ClassPathSystem {
public:
    virtual ~ClassPathSystem() = default;

    // "%NAME%" references expanded; the text unchanged when that fails.
    virtual Text expandEnvironment(const Text& text) const = 0;

    // Appends the file names (no folder) that a first-file/next-file search for `searchName` finds,
    // in the search's order, folders and "." and ".." included.
    virtual void findMatches(const Text& searchName, TextList& names) const = 0;

    // `path` in a form that the narrow code page can carry (its short form when the code page lacks
    // one of its characters and the file system has one); otherwise `path` unchanged.
    virtual Text narrowSafePath(const Text& path) const = 0;
};

// Every entry followed by ";"; empty when nothing was found. `exeFolder` ends with a backslash.
Text buildClassPath(const Text& setting, const Text& exeFolder, const ClassPathSystem& system);

// Appends "<folder prefix><match>;" for every match of `entry`, which is relative to `exeFolder`
// unless absolute.
void expandClassPathEntry(const Text& entry, const Text& exeFolder, const ClassPathSystem& system,
                          Text& classPath);

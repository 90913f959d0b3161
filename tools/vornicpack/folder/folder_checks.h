// The checks an application folder passes before anything is written: what the launcher will meet
// on the user's machine, found here instead. Each refusal is one line naming the file, the fault and
// the fix. They work on the planned folder: relative names with "/" and the files they come from.
//
//   std::vector<PlannedFile> plan = ...;
//   TextList unchecked;   // entries outside the folder
//   if (!checkClassPath(classPath, plan, "lib/app.jar", unchecked, error)) ...
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "project/project_file.h"
#include "support/bytes.h"

struct PlannedFile {
    std::string target;            // relative to the application folder, "/" separated
    std::filesystem::path source;  // copied from, when not generated
    Bytes bytes;                   // the contents, when generated
    bool generated = false;
};

// Every entry of "Class Path" (as the launcher expands it, "*" patterns included) names files of the
// plan. Entries with an environment variable or an absolute path lie outside the folder and are
// listed in `unchecked`. `mainClassTarget` (a jar or folder of the plan) must be on it.
bool checkClassPath(const Text& classPath, const std::vector<PlannedFile>& plan, const std::string& mainClassTarget,
                    TextList& unchecked, std::string& error);

struct MainClassFound {
    std::string target;  // the jar or folder of the plan that holds it
    int major = 0;       // its class-file major version
    int release = 0;     // N when only META-INF/versions/N/ of a multi-release jar holds it (the lowest N)
    std::vector<std::string> notes;  // inputs that are shipped but are no jars
};

// The Java version the main class needs: its class file's, and N at least for a versioned entry.
std::string javaVersionNeeded(const MainClassFound& found);

// Looks for `className` ("a.b.C") in the shipped inputs, each planned under `targets[i]`. A jar whose
// manifest says Multi-Release: true may hold it under META-INF/versions/N/ alone. A file that is no
// zip archive is refused when it is named as a jar (.jar, .zip), and otherwise noted. True with an
// empty `found.target` when no input holds it (mainClassMissing says so); false for a faulty input,
// with `error` naming its file.
bool findMainClass(const std::string& className, const std::vector<std::filesystem::path>& inputs,
                   const std::vector<std::string>& targets, MainClassFound& found, std::string& error);
std::string mainClassMissing(const std::string& className, const std::vector<std::string>& targets);

// The Main-Class of the first jar among the inputs; false when it has none.
bool mainClassOfFirstJar(const std::vector<std::filesystem::path>& inputs, std::string& className,
                         std::filesystem::path& jar, std::string& error);

// The runtime folder shipped beside the launcher of `width`: bin/java.dll (what the launcher looks
// for), the jvm.dll that "JVM Type" takes, of the launcher's width, and a `release` file's
// JAVA_VERSION within "Minimum Version" and "Maximum Version".
bool checkRuntime(const std::filesystem::path& folder, Width width, const Text& jvmType, const Text& minimumVersion,
                  const Text& maximumVersion, std::string& error);

// The version bounds as the launcher reads them ("any", fill 0 below and 65535 above).
bool versionBelow(const Text& version, const Text& required);

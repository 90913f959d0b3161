// A packaged copy of the launcher in any folder, with the stand-in runtime as its private runtime,
// the INI beside it and a jar: the set-up of the hostile-place and planted-library suites.
//
//   PackagedCopy copy(folder, L"app.exe", PackagedCopy::resourcesFor(PackagedCopy::plainSettings()));
//   Launch launch = copy.run();
//   EXPECT_TRUE(copy.mainRan());
#pragma once

#include <string>
#include <vector>

#include "harness.h"
#include "package_resources.h"

class PackagedCopy {
public:
    static const Text kUpgradeCode;
    static const Text kProductName;
    static const Text kProductCode;

    // Main class app.Main and `runtimeLines` in [Java Runtime Environment], class path app.jar, then
    // `more` (whole lines with CR LF).
    static Text plainSettings(const Text& runtimeLines = Text(), const Text& more = Text());
    // Both settings stages of `iniText` and a string table whose texts start with their id ("[210]").
    static PackagedResources resourcesFor(const Text& iniText);

    // `folder` ends with a backslash and need not exist; paths of any length are allowed.
    PackagedCopy(const WText& folder, const WText& exeName, const PackagedResources& resources,
                 const std::string& script = "");
    PackagedCopy(const PackagedCopy&) = delete;
    PackagedCopy& operator=(const PackagedCopy&) = delete;

    bool ready() const { return ready_; }
    const WText& folder() const { return folder_; }
    WText exe() const { return folder_ + exeName_; }
    WText iniFile() const;
    // A folder outside the copy's for records, APPDATA and files a test wants out of the way.
    const WText& scratch() const { return scratch_.path(); }

    // Runs to the end from `currentFolder` (the copy's folder when empty), answering every window
    // with OK; APPDATA is the scratch folder's unless `environment` says otherwise.
    Launch run(const std::vector<WText>& environment = {}, const WText& currentFolder = L"") const;
    std::string record() const { return readText(scratch() + L"record.txt"); }
    bool mainRan() const { return contains(record(), "call: main"); }

private:
    WText folder_;
    WText exeName_;
    TempFolder scratch_;
    bool ready_ = false;
};

// `path` with the "\\?\" prefix when it is too long for the classic functions.
WText longForm(const WText& path);
// A short "what happened" line for a failed expectation: exit code, time and the windows shown.
std::string describe(const Launch& launch);

// The names of every setting the launcher reads, with the section each belongs to: the one list the
// launcher's readers and the packer take them from. A reader names a setting by its Setting value, so
// a key that is not in this table cannot be read at all, and the packer checks and places every key
// of it (see the packer's settings split).
//
//   const Text home = iniValue(store, Setting::JrePath);
//   settingKey(Setting::JrePath);                  // L"JRE Path"
//   sectionName(settingSection(Setting::JrePath));  // L"Java Runtime Environment"
#pragma once

#include <cstddef>
#include <iterator>

enum class SettingSection { Runtime, Application, ClassPath, RuntimeDownload, Product, Display };

struct SectionName {
    SettingSection section;
    const wchar_t* name;
    // Read only from the INI file beside the executable, which the system's profile functions read
    // without regard to letter case; the other sections come from the packaged text, matched exactly.
    bool besideOnly;
};

inline constexpr SectionName kSectionNames[] = {
    {SettingSection::Runtime, L"Java Runtime Environment", false},
    {SettingSection::Application, L"Application", false},
    {SettingSection::ClassPath, L"Class Path", false},
    {SettingSection::RuntimeDownload, L"Runtime Download", false},
    {SettingSection::Product, L"Product Information", true},
    {SettingSection::Display, L"Display", true},
};

enum class Setting {
    MinimumVersion, MaximumVersion, PreferredVersions, JrePath, JvmType, JvmSource, VmProvider, MainClass,
    SystemPath, LibraryPath, VirtualMachineParameters, SearchVendorRegistrations, ClassDataSharing,

    ApplicationType, FailureCheck, OverrideWorkingDir, PairProduct, PairReturnCode, EmbeddedJar, OutputFile,
    OutputAppend, ErrorFile, ErrorAppend, Cmd, SingleInstance, StopMethod, StopTimeout, RestartExitCode,
    AppUserModelId,

    ClassPath,

    RuntimeDownload, X64Url, X64Sha256, X64Size, X86Url, X86Sha256, X86Size,

    ProductCode, UpgradeCode, ProductName, ProductVersion,

    DpiAwareness, SplashScreen, SplashScreenShadow, NativeSplashScreen, SplashScreenCloseOnWindow,
    SplashScreenTimeLimit,

    Count
};

struct SettingName {
    Setting setting;
    SettingSection section;
    const wchar_t* key;
};

inline constexpr SettingName kSettingNames[] = {
    {Setting::MinimumVersion, SettingSection::Runtime, L"Minimum Version"},
    {Setting::MaximumVersion, SettingSection::Runtime, L"Maximum Version"},
    {Setting::PreferredVersions, SettingSection::Runtime, L"Preferred versions"},
    {Setting::JrePath, SettingSection::Runtime, L"JRE Path"},
    {Setting::JvmType, SettingSection::Runtime, L"JVM Type"},
    {Setting::JvmSource, SettingSection::Runtime, L"JVM Source"},
    {Setting::VmProvider, SettingSection::Runtime, L"VM Provider"},
    {Setting::MainClass, SettingSection::Runtime, L"Main Class"},
    {Setting::SystemPath, SettingSection::Runtime, L"System Path"},
    {Setting::LibraryPath, SettingSection::Runtime, L"Library Path"},
    {Setting::VirtualMachineParameters, SettingSection::Runtime, L"Virtual Machine Parameters"},
    {Setting::SearchVendorRegistrations, SettingSection::Runtime, L"Search Vendor Registrations"},
    {Setting::ClassDataSharing, SettingSection::Runtime, L"Class Data Sharing"},

    {Setting::ApplicationType, SettingSection::Application, L"Application Type"},
    {Setting::FailureCheck, SettingSection::Application, L"Failure Check"},
    {Setting::OverrideWorkingDir, SettingSection::Application, L"Override WorkingDir"},
    {Setting::PairProduct, SettingSection::Application, L"Pair Product"},
    {Setting::PairReturnCode, SettingSection::Application, L"Pair Return Code"},
    {Setting::EmbeddedJar, SettingSection::Application, L"Embedded Jar"},
    {Setting::OutputFile, SettingSection::Application, L"Output File"},
    {Setting::OutputAppend, SettingSection::Application, L"Output Append"},
    {Setting::ErrorFile, SettingSection::Application, L"Error File"},
    {Setting::ErrorAppend, SettingSection::Application, L"Error Append"},
    {Setting::Cmd, SettingSection::Application, L"Cmd"},
    {Setting::SingleInstance, SettingSection::Application, L"Single Instance"},
    {Setting::StopMethod, SettingSection::Application, L"Stop Method"},
    {Setting::StopTimeout, SettingSection::Application, L"Stop Timeout"},
    {Setting::RestartExitCode, SettingSection::Application, L"Restart Exit Code"},
    {Setting::AppUserModelId, SettingSection::Application, L"App User Model ID"},

    {Setting::ClassPath, SettingSection::ClassPath, L"Class Path"},

    {Setting::RuntimeDownload, SettingSection::RuntimeDownload, L"Runtime Download"},
    {Setting::X64Url, SettingSection::RuntimeDownload, L"x64 URL"},
    {Setting::X64Sha256, SettingSection::RuntimeDownload, L"x64 SHA-256"},
    {Setting::X64Size, SettingSection::RuntimeDownload, L"x64 Size"},
    {Setting::X86Url, SettingSection::RuntimeDownload, L"x86 URL"},
    {Setting::X86Sha256, SettingSection::RuntimeDownload, L"x86 SHA-256"},
    {Setting::X86Size, SettingSection::RuntimeDownload, L"x86 Size"},

    {Setting::ProductCode, SettingSection::Product, L"Product Code"},
    {Setting::UpgradeCode, SettingSection::Product, L"Upgrade Code"},
    {Setting::ProductName, SettingSection::Product, L"Product Name"},
    {Setting::ProductVersion, SettingSection::Product, L"Product Version"},

    {Setting::DpiAwareness, SettingSection::Display, L"DPI Awareness"},
    {Setting::SplashScreen, SettingSection::Display, L"Splash Screen"},
    {Setting::SplashScreenShadow, SettingSection::Display, L"Splash Screen Shadow"},
    // Spelt as the settings files of existing applications spell it.
    {Setting::NativeSplashScreen, SettingSection::Display, L"Preffer Native Splash Screen"},
    {Setting::SplashScreenCloseOnWindow, SettingSection::Display, L"Splash Screen Close On Window"},
    {Setting::SplashScreenTimeLimit, SettingSection::Display, L"Splash Screen Time Limit"},
};

// Every Setting has its row, at its own index: a value added to the enumeration without a row, or a
// row out of place, stops the build here.
constexpr bool settingNamesInOrder() {
    for (std::size_t i = 0; i < std::size(kSettingNames); ++i)
        if (static_cast<std::size_t>(kSettingNames[i].setting) != i) return false;
    return true;
}
static_assert(std::size(kSettingNames) == static_cast<std::size_t>(Setting::Count), "a Setting has no row");
static_assert(settingNamesInOrder(), "kSettingNames is not in the order of Setting");

constexpr bool sectionNamesInOrder() {
    for (std::size_t i = 0; i < std::size(kSectionNames); ++i)
        if (static_cast<std::size_t>(kSectionNames[i].section) != i) return false;
    return true;
}
static_assert(std::size(kSectionNames) == static_cast<std::size_t>(SettingSection::Display) + 1, "a section has no row");
static_assert(sectionNamesInOrder(), "kSectionNames is not in the order of SettingSection");

constexpr const wchar_t* settingKey(Setting setting) { return kSettingNames[static_cast<std::size_t>(setting)].key; }

constexpr SettingSection settingSection(Setting setting) {
    return kSettingNames[static_cast<std::size_t>(setting)].section;
}

constexpr const wchar_t* sectionName(SettingSection section) {
    return kSectionNames[static_cast<std::size_t>(section)].name;
}

constexpr bool isBesideOnly(SettingSection section) {
    return kSectionNames[static_cast<std::size_t>(section)].besideOnly;
}

// The three [Runtime Download] keys of one processor width.
struct RuntimeDownloadKeys {
    Setting url;
    Setting sha256;
    Setting size;
};

constexpr RuntimeDownloadKeys runtimeDownloadKeys(bool x64) {
    return x64 ? RuntimeDownloadKeys{Setting::X64Url, Setting::X64Sha256, Setting::X64Size}
               : RuntimeDownloadKeys{Setting::X86Url, Setting::X86Sha256, Setting::X86Size};
}

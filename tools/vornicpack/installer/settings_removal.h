// Remove User Settings=Yes: the removal of a product also deletes the per-user settings file the
// launcher wrote (%APPDATA%\<Product Name>\<Product Code>\<launcher>.ini) and its two folders once
// empty, and an upgrade keeps them. wixl writes no RemoveFile row with a file name, so the rows are
// added to the written database: two properties set only while the product is being removed (not
// while an upgrade removes its older version), and the RemoveFile rows that name them.
//
//   UserSettingsPlace place{L"Demo", L"{...}", L"Demo.ini"};
//   if (!addSettingsRemoval(package, place, launcherComponent, error)) ...
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/text.h"

struct UserSettingsPlace {
    Text productName;  // "Product Name" as the launcher reads it; empty: no folder level
    Text productCode;  // "Product Code" as the launcher reads it; empty: no folder level
    Text fileName;     // the launcher's base name with ".ini"
};

// The folder of the settings file below %APPDATA%, as the launcher makes it: the product name without
// the nine characters no folder name holds, then the product code; empty levels left out.
std::vector<Text> userSettingsFolders(const UserSettingsPlace& place);

// The rows of each table that the removal adds, cells separated by tabs, in the order they are added.
struct SettingsRemovalRows {
    const char* table;
    std::vector<std::string> rows;
};
std::vector<SettingsRemovalRows> settingsRemovalRows(const UserSettingsPlace& place, const std::string& component);

// Adds the rows to `package` (written by wixl, its summary not yet normalised), with `component`, the
// launcher's, as the component whose removal removes them.
bool addSettingsRemoval(const std::filesystem::path& package, const UserSettingsPlace& place,
                        const std::string& component, std::string& error);

// Where the settings files lie: beside the executable, per user under "APPDATA", and the same two
// files of the paired launcher.
#pragma once

#include "support/text.h"

// Which product the settings files belong to, and the paired launcher whose files it also writes.
struct ProductFiles {
    Text productName;
    Text productCode;
    Text pairProduct;
};

// The product name as a folder name: the characters a file name cannot hold are left out.
Text folderNameOf(const Text& productName);

// The executable's path up to its last "." followed by "ini"; false without a "." or a module path.
bool settingsFilePath(Text& path);

// (APPDATA)\(product name)\(product code)\(executable base name).ini; empty when the executable's
// path cannot be had or "APPDATA" is not an absolute path. With `createFolders` the two folders are
// made (failures ignored).
Text userSettingsFilePath(const ProductFiles& product, bool createFolders);

// The INI beside the paired launcher; false when "Pair Product" is empty or has no ".".
bool pairSettingsFilePath(const ProductFiles& product, Text& path);

// The paired launcher's per-user file, with this launcher's product name and code. Always creates
// the folders; empty when "Pair Product" is empty or "APPDATA" is not an absolute path.
Text pairUserSettingsFilePath(const ProductFiles& product);

// Makes the executable's folder the current directory.
void applyWorkingDirOverride();

// The per-user path rule without system calls: exposed for tests.
Text userSettingsPathFor(const Text& appData, const Text& productName, const Text& productCode,
                         const Text& sourcePath);

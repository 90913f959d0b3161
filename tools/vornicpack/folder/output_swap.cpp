#include "folder/output_swap.h"

#include <algorithm>
#include <vector>

#include "folder/output_guard.h"
#include "system/platform.h"
#include "texts/text_codec.h"

namespace fs = std::filesystem;

namespace {

// The names of everything below `folder`, relative to it and sorted; false when it cannot be listed.
bool listTree(const fs::path& folder, std::vector<fs::path>& names) {
    std::error_code code;
    for (fs::recursive_directory_iterator it(folder, code), end; !code && it != end; it.increment(code))
        names.push_back(it->path().lexically_relative(folder));
    std::sort(names.begin(), names.end());
    return !code;
}

bool sameBytes(const fs::path& a, const fs::path& b) {
    Bytes left, right;
    std::string ignored;
    return readWholeFile(a, left, ignored) && readWholeFile(b, right, ignored) && left == right;
}

// True when `target` holds exactly what `built` holds: the same names, folders and bytes.
bool sameTree(const fs::path& built, const fs::path& target) {
    std::error_code code;
    if (!fs::is_directory(target, code)) return false;
    std::vector<fs::path> names, previous;
    if (!listTree(built, names) || !listTree(target, previous) || names != previous) return false;
    for (const fs::path& name : names) {
        const bool folder = fs::is_directory(built / name, code);
        if (folder != fs::is_directory(target / name, code)) return false;
        if (!folder && !sameBytes(built / name, target / name)) return false;
    }
    return true;
}

}  // namespace

bool swapIntoPlace(const fs::path& builtFolder, const fs::path& folder, const fs::path& builtZip, const fs::path& zip,
                   std::string& error) {
    std::error_code code;
    auto removeStaged = [&] {
        std::error_code ignored;
        fs::remove_all(builtFolder, ignored);
        if (!builtZip.empty()) fs::remove(builtZip, ignored);
    };
    const bool folderChanges = !sameTree(builtFolder, folder);
    const bool zipChanges = !zip.empty() && !sameBytes(builtZip, zip);
    const fs::path aside = besideTarget(folder, kAsideSuffix);
    bool hadFolder = false;
    if (folderChanges) {
        hadFolder = fs::exists(folder, code);
        if (hadFolder) {
            fs::rename(folder, aside, code);
            if (code) {
                error = "cannot move the previous " + utf8Of(folder) + " aside: " + code.message();
                removeStaged();
                return false;
            }
        }
        fs::rename(builtFolder, folder, code);
        if (code) {
            error = "cannot move the new folder to " + utf8Of(folder) + ": " + code.message();
            std::error_code ignored;
            if (hadFolder) fs::rename(aside, folder, ignored);
            removeStaged();
            return false;
        }
    }
    if (zipChanges) {
        // The folder is in place; the zip's rename is the last step that can fail, and undoing the
        // folder's is two renames within its own parent.
        fs::rename(builtZip, zip, code);
        if (code) {
            error = "cannot replace " + utf8Of(zip) + ": " + code.message();
            if (folderChanges) {
                std::error_code back;
                fs::rename(folder, builtFolder, back);
                if (!back && hadFolder) fs::rename(aside, folder, back);
                if (back)
                    error += "; the new folder could not be moved back either (" + back.message() +
                             "): the previous one is " + utf8Of(aside);
            }
            removeStaged();
            return false;
        }
    }
    removeStaged();
    if (hadFolder) fs::remove_all(aside, code);
    return true;
}

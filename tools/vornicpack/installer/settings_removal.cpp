#include "installer/settings_removal.h"

#include <fstream>
#include <vector>

#include "installer/msi_tools.h"
#include "system/platform.h"
#include "texts/text_codec.h"

namespace fs = std::filesystem;

namespace {

// A property's value is formatted text: brackets and braces stand for themselves only escaped.
std::string formattedText(const Text& text) {
    std::string out;
    for (const char c : encodeUtf8(text)) {
        if (c == '[' || c == ']' || c == '{' || c == '}')
            out += std::string("[\\") + c + "]";
        else
            out += c;
    }
    return out;
}

// Whether a removal removes the product, rather than an upgrade its older version.
const char* const kRemovingProduct = "REMOVE~=\"ALL\" AND NOT UPGRADINGPRODUCTCODE";

}  // namespace

std::vector<SettingsRemovalRows> settingsRemovalRows(const UserSettingsPlace& place, const std::string& component) {
    const std::vector<Text> folders = userSettingsFolders(place);
    SettingsRemovalRows actions{"CustomAction", {}}, sequence{"InstallExecuteSequence", {}}, removals{"RemoveFile", {}};
    // One property per folder level, innermost first: the file's folder, then the one that holds it.
    std::string path = "[AppDataFolder]";
    std::vector<std::string> paths;
    for (const Text& folder : folders) paths.push_back(path += formattedText(folder) + "\\");
    if (paths.empty()) paths.push_back(path);
    for (std::size_t level = paths.size(); level-- > 0;) {
        const std::string property = "VornicUserSettingsFolder" + std::to_string(paths.size() - 1 - level);
        actions.rows.push_back("Set" + property + "\t51\t" + property + "\t" + paths[level] + "\t");
        // Before RemoveFiles (3500), which reads them.
        sequence.rows.push_back("Set" + property + "\t" + kRemovingProduct + "\t3490");
        if (level + 1 == paths.size())
            removals.rows.push_back("VornicUserSettingsFile\t" + component + "\t" + encodeUtf8(place.fileName) + "\t" +
                                    property + "\t2");
        // A folder row removes the folder once empty; %APPDATA% itself is never one.
        if (!folders.empty()) removals.rows.push_back(property + "\t" + component + "\t\t" + property + "\t2");
    }
    // Wine's installer removes the RemoveFile rows in the order of their keys' places in the string
    // pool: imported first, the file's key comes before the inner folder's, which comes before the
    // outer one's, so that each folder is empty when its turn comes.
    return {removals, actions, sequence};
}

std::vector<Text> userSettingsFolders(const UserSettingsPlace& place) {
    std::vector<Text> folders;
    Text product;
    for (const wchar_t unit : place.productName)
        if (Text(L"\\?\"|><:/*").find(unit) == Text::npos) product += unit;
    if (!product.empty()) folders.push_back(product);
    if (!place.productCode.empty()) folders.push_back(place.productCode);
    return folders;
}

bool addSettingsRemoval(const fs::path& package, const UserSettingsPlace& place, const std::string& component,
                        std::string& error) {
    // Each table is exported, given the rows and imported whole again: an import replaces a table.
    std::vector<std::string> arguments = {"msibuild", package.string()};
    std::vector<fs::path> written;
    bool good = true;
    for (const SettingsRemovalRows& table : settingsRemovalRows(place, component)) {
        std::string text;
        if (!(good = exportMsiTable(package, table.table, text, error))) break;
        for (const std::string& row : table.rows) text += row + "\r\n";
        const fs::path file = fs::path(package).concat(std::string(".") + table.table + ".idt");
        written.push_back(file);
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        if (!(good = static_cast<bool>(out.write(text.data(), static_cast<std::streamsize>(text.size())).flush()))) {
            error = "cannot write " + utf8Of(file);
            break;
        }
        arguments.push_back("-i");
        arguments.push_back(file.string());
    }
    if (good && !runMsiTool(arguments, fs::path(package).concat(".log"), error)) {
        error = "cannot add the removal of the per-user settings file to " + utf8Of(package) + ": " + error;
        good = false;
    }
    for (const fs::path& file : written) {
        std::error_code code;
        fs::remove(file, code);
    }
    return good;
}

#include "installer/msi_database.h"

#include <windows.h>
#include <msi.h>
#include <msiquery.h>
#include <wtypes.h>  // the summary's property types (VT_*)

#include <cctype>
#include <fstream>
#include <string>

#include "installer/cabinet_writer.h"
#include "installer/installer_layout.h"
#include "support/unique_handle.h"
#include "system/platform.h"
#include "texts/text_codec.h"

namespace fs = std::filesystem;

namespace {

struct MsiHandleTraits {
    using Value = MSIHANDLE;
    static Value empty() { return 0; }
    static void close(Value value) { MsiCloseHandle(value); }
};
using UniqueMsiHandle = UniqueResource<MsiHandleTraits>;

std::wstring wide(const std::string& utf8) {
    Text text;
    decodeUtf8(utf8, text);
    return text;
}

// The library's own words for its last failure, else its code.
std::string libraryError(UINT code) {
    UniqueMsiHandle record(MsiGetLastErrorRecord());
    std::string text = "msi.dll error " + std::to_string(code);
    if (record) {
        DWORD size = 0;
        wchar_t none[1] = L"";
        if (MsiFormatRecordW(0, record.get(), none, &size) == ERROR_MORE_DATA) {
            std::wstring words(++size, L'\0');
            if (MsiFormatRecordW(0, record.get(), words.data(), &size) == ERROR_SUCCESS)
                text += " (" + encodeUtf8(Text(words.c_str())) + ")";
        }
    }
    return text;
}

bool writeText(const fs::path& file, const std::string& text, std::string& error) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (out.write(text.data(), static_cast<std::streamsize>(text.size())).flush()) return true;
    error = "cannot write " + utf8Of(file);
    return false;
}

class DatabaseWriter {
public:
    DatabaseWriter(const fs::path& package, const fs::path& staging) : package(package), staging(staging) {}

    bool write(const InstallerTables& tables, long long epoch, std::string& error) {
        std::vector<CabinetEntry> entries;
        for (const InstallerFile* file : tables.cabinet) entries.push_back({installerId('f', file->target), file->source});
        const fs::path cabinet = staging / kInstallerCabinet;
        if (!writeCabinet(entries, cabinet, epoch, error)) return false;
        MSIHANDLE opened = 0;
        if (const UINT code = MsiOpenDatabaseW(package.c_str(), MSIDBOPEN_CREATE, &opened); code != ERROR_SUCCESS) {
            error = "cannot create " + utf8Of(package) + ": " + libraryError(code);
            return false;
        }
        database.reset(opened);
        // The database's code page first, so that every text after it is stored as UTF-8.
        if (!import("_ForceCodepage", "\r\n\r\n65001\t_ForceCodepage\r\n", error)) return false;
        for (const MsiTable& table : tables.tables)
            if (!writeTable(table, error)) return false;
        if (!insert("SELECT `Name`, `Data` FROM `_Streams`", {{kInstallerCabinet, ""}}, {{fs::path(), cabinet}}, "_Streams",
                    error) ||
            !writeSummary(tables.summary, error))
            return false;
        if (const UINT code = MsiDatabaseCommit(database.get()); code != ERROR_SUCCESS) {
            error = "cannot write " + utf8Of(package) + ": " + libraryError(code);
            return false;
        }
        database.reset();
        return true;
    }

private:
    // A table's columns, types and keys through the library's import of archive text: the header only.
    bool import(const std::string& table, const std::string& text, std::string& error) {
        const std::string name = table + ".idt";
        if (!writeText(staging / name, text, error)) return false;
        if (const UINT code = MsiDatabaseImportW(database.get(), staging.c_str(), wide(name).c_str());
            code != ERROR_SUCCESS) {
            error = "cannot create the table " + table + " in " + utf8Of(package) + ": " + libraryError(code);
            return false;
        }
        return true;
    }

    bool writeTable(const MsiTable& table, std::string& error) {
        MsiTable header = table;
        header.rows.clear();
        if (!import(table.name, archiveText(header), error)) return false;
        std::vector<std::vector<fs::path>> streams(table.rows.size(), std::vector<fs::path>(table.columns.size()));
        for (std::size_t row = 0; row < table.rows.size(); ++row)
            for (std::size_t column = 0; column < table.columns.size(); ++column)
                if (std::tolower(static_cast<unsigned char>(table.types[column][0])) == 'v' &&
                    row < table.streams.size())
                    streams[row][column] = table.streams[row];
        return insert("SELECT * FROM `" + table.name + "`", table.rows, streams, table.name, error);
    }

    // The rows through one view: a stream column from its file, a number column as a number, an
    // empty cell as a null.
    bool insert(const std::string& query, const std::vector<std::vector<std::string>>& rows,
                const std::vector<std::vector<fs::path>>& streams, const std::string& table, std::string& error) {
        MSIHANDLE opened = 0;
        UINT code = MsiDatabaseOpenViewW(database.get(), wide(query).c_str(), &opened);
        UniqueMsiHandle view(opened);
        if (code == ERROR_SUCCESS) code = MsiViewExecute(view.get(), 0);
        MSIHANDLE columns = 0;
        if (code == ERROR_SUCCESS) code = MsiViewGetColumnInfo(view.get(), MSICOLINFO_TYPES, &columns);
        UniqueMsiHandle types(columns);
        std::wstring numbers;  // per column, whether it holds numbers
        for (UINT field = 1; code == ERROR_SUCCESS && field <= MsiRecordGetFieldCount(types.get()); ++field) {
            wchar_t type[16] = L"";
            DWORD size = 16;
            code = MsiRecordGetStringW(types.get(), field, type, &size);
            numbers += type[0] == L'i' || type[0] == L'I' ? L'1' : L'0';
        }
        for (std::size_t row = 0; code == ERROR_SUCCESS && row < rows.size(); ++row) {
            const std::vector<std::string>& cells = rows[row];
            UniqueMsiHandle record(MsiCreateRecord(static_cast<UINT>(cells.size())));
            for (UINT field = 1; code == ERROR_SUCCESS && field <= cells.size(); ++field) {
                const std::string& cell = cells[field - 1];
                const fs::path& stream = streams[row][field - 1];
                if (!stream.empty())
                    code = MsiRecordSetStreamW(record.get(), field, stream.c_str());
                else if (!cell.empty() && field <= numbers.size() && numbers[field - 1] == L'1')
                    code = MsiRecordSetInteger(record.get(), field, std::stoi(cell));
                else
                    code = MsiRecordSetStringW(record.get(), field, wide(cell).c_str());
            }
            if (code == ERROR_SUCCESS) code = MsiViewModify(view.get(), MSIMODIFY_INSERT, record.get());
        }
        if (code == ERROR_SUCCESS) return true;
        error = "cannot write the rows of the table " + table + " in " + utf8Of(package) + ": " + libraryError(code);
        return false;
    }

    bool writeSummary(const std::vector<MsiSummaryProperty>& properties, std::string& error) {
        MSIHANDLE opened = 0;
        UINT code = MsiGetSummaryInformationW(database.get(), nullptr, static_cast<UINT>(properties.size()), &opened);
        UniqueMsiHandle summary(opened);
        // The code page comes first in the list: the texts after it are stored in it.
        for (const MsiSummaryProperty& property : properties) {
            if (code != ERROR_SUCCESS) break;
            FILETIME time{};
            if (property.kind == MsiSummaryProperty::Time) {
                const ULONGLONG units = (static_cast<ULONGLONG>(property.number) + 11644473600ull) * 10000000ull;
                time.dwLowDateTime = static_cast<DWORD>(units);
                time.dwHighDateTime = static_cast<DWORD>(units >> 32);
            }
            const UINT kind = property.kind == MsiSummaryProperty::Short  ? VT_I2
                              : property.kind == MsiSummaryProperty::Long ? VT_I4
                              : property.kind == MsiSummaryProperty::Time ? VT_FILETIME
                                                                          : VT_LPSTR;
            code = MsiSummaryInfoSetPropertyW(summary.get(), property.id, kind, static_cast<INT>(property.number), &time,
                                              kind == VT_LPSTR ? wide(property.text).c_str() : nullptr);
        }
        if (code == ERROR_SUCCESS) code = MsiSummaryInfoPersist(summary.get());
        if (code == ERROR_SUCCESS) return true;
        error = "cannot write the summary of " + utf8Of(package) + ": " + libraryError(code);
        return false;
    }

    const fs::path package, staging;
    UniqueMsiHandle database;
};

// A folder of its own beside the package: never one that was there before, which it would remove.
bool createStaging(const fs::path& package, fs::path& staging, std::string& error) {
    static const char* digits = "0123456789abcdef";
    for (int attempt = 0; attempt < 8; ++attempt) {
        std::uint8_t random[8];
        if (!secureRandom(random, sizeof random)) break;
        std::string suffix = ".tables-";
        for (const std::uint8_t byte : random) suffix += {digits[byte >> 4], digits[byte & 15]};
        staging = fs::path(package).concat(suffix);
        std::error_code code;
        if (fs::create_directory(staging, code)) return true;
        if (code) {
            error = "cannot create " + utf8Of(staging) + ": " + code.message();
            return false;
        }
    }
    error = "cannot create a folder beside " + utf8Of(package);
    return false;
}

}  // namespace

bool writeMsiDatabase(const InstallerTables& tables, const fs::path& package, long long epoch, std::string& error) {
    fs::path staging;
    if (!createStaging(package, staging, error)) return false;
    // The writer closes the database before the folder and the package are cleaned up.
    const bool written = DatabaseWriter(package, staging).write(tables, epoch, error);
    std::error_code code;
    fs::remove_all(staging, code);
    if (!written) fs::remove(package, code);
    return written;
}

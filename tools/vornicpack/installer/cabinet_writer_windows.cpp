#include "installer/cabinet_writer.h"

#include <windows.h>
#include <fci.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

#include "archive/zip_archive.h"
#include "support/unique_handle.h"
#include "texts/text_codec.h"

namespace fs = std::filesystem;

namespace {

struct FciTraits {
    using Value = HFCI;
    static Value empty() { return nullptr; }
    static void close(Value value) { FCIDestroy(value); }
};

// FCI hands its callbacks the names it was given as char strings: they are UTF-8 here, and every
// file is opened through the wide calls, so that any folder name holds.
std::wstring wide(const char* utf8) {
    Text text;
    decodeUtf8(utf8, text);
    return text;
}

// What the callbacks share: where the temporary files go, and the time every file carries.
struct CabinetContext {
    fs::path folder;
    unsigned temporaries = 0;
    USHORT date = 0, time = 0;
};

FNFCIALLOC(allocate) { return std::malloc(cb); }
FNFCIFREE(release) { std::free(memory); }

FNFCIOPEN(openFile) {
    const int handle = _wopen(wide(pszFile).c_str(), oflag | _O_BINARY | _O_NOINHERIT, pmode);
    if (handle == -1) *err = errno;
    return handle;
}
FNFCIREAD(readFile) {
    const int got = _read(static_cast<int>(hf), memory, cb);
    if (got == -1) *err = errno;
    return static_cast<UINT>(got);
}
FNFCIWRITE(writeFile) {
    const int put = _write(static_cast<int>(hf), memory, cb);
    if (put == -1) *err = errno;
    return static_cast<UINT>(put);
}
FNFCICLOSE(closeFile) {
    const int result = _close(static_cast<int>(hf));
    if (result == -1) *err = errno;
    return result;
}
FNFCISEEK(seekFile) {
    const long at = _lseek(static_cast<int>(hf), dist, seektype);
    if (at == -1) *err = errno;
    return at;
}
FNFCIDELETE(deleteFile) {
    if (_wremove(wide(pszFile).c_str()) == 0) return 0;
    *err = errno;
    return -1;
}
FNFCIFILEPLACED(filePlaced) { return 0; }

// FCI's scratch files, numbered in the cabinet's own folder: removed by FCI, and by the caller's
// clean-up of that folder should FCI stop half way.
FNFCIGETTEMPFILE(temporaryName) {
    CabinetContext& context = *static_cast<CabinetContext*>(pv);
    const std::string name = utf8Of(context.folder / ("fci-" + std::to_string(++context.temporaries) + ".tmp"));
    if (name.size() + 1 > static_cast<std::size_t>(cbTempName)) return FALSE;
    std::memcpy(pszTempName, name.c_str(), name.size() + 1);
    return TRUE;
}

FNFCIGETNEXTCABINET(nextCabinet) { return FALSE; }  // one cabinet: the limit is never reached
FNFCISTATUS(status) { return 0; }

FNFCIGETOPENINFO(openInfo) {
    const CabinetContext& context = *static_cast<CabinetContext*>(pv);
    *pdate = context.date;
    *ptime = context.time;
    *pattribs = _A_ARCH;
    return openFile(pszName, _O_RDONLY, 0, err, pv);
}

const char* fciProblem(int code) {
    switch (code) {
        case FCIERR_OPEN_SRC: return "a file of the folder cannot be opened";
        case FCIERR_READ_SRC: return "a file of the folder cannot be read";
        case FCIERR_ALLOC_FAIL: return "out of memory";
        case FCIERR_TEMP_FILE: return "its temporary files cannot be written";
        case FCIERR_CAB_FILE: return "the cabinet cannot be written";
        default: return "cabinet.dll failed";
    }
}

}  // namespace

bool writeCabinet(const std::vector<CabinetEntry>& entries, const fs::path& cabinet, long long epoch,
                  std::string& error) {
    CabinetContext context;
    context.folder = cabinet.parent_path();
    const std::uint32_t stamp = dosDateTime(epoch < 0 ? 0 : epoch);
    context.date = static_cast<USHORT>(stamp >> 16);
    context.time = static_cast<USHORT>(stamp);
    CCAB settings{};
    settings.cb = 0x7FFFFFFF;  // one cabinet, one folder
    settings.cbFolderThresh = 0x7FFFFFFF;
    const std::string folder = utf8Of(context.folder) + "\\", name = utf8Of(cabinet.filename());
    if (folder.size() >= sizeof settings.szCabPath || name.size() >= sizeof settings.szCab) {
        error = "cannot write " + utf8Of(cabinet) + ": the path is too long for cabinet.dll";
        return false;
    }
    std::memcpy(settings.szCabPath, folder.c_str(), folder.size() + 1);
    std::memcpy(settings.szCab, name.c_str(), name.size() + 1);
    ERF failure{};
    bool good = false;
    {
        UniqueResource<FciTraits> fci(FCICreate(&failure, filePlaced, allocate, release, openFile, readFile, writeFile,
                                                closeFile, seekFile, deleteFile, temporaryName, &settings, &context));
        good = static_cast<bool>(fci);
        for (std::size_t i = 0; good && i < entries.size(); ++i) {
            std::string source = utf8Of(entries[i].source), inside = entries[i].name;
            good = FCIAddFile(fci.get(), source.data(), inside.data(), FALSE, nextCabinet, status, openInfo,
                              tcompTYPE_MSZIP);
            if (!good) error = "cannot add " + utf8Of(entries[i].source) + " to the cabinet: ";
        }
        good = good && FCIFlushCabinet(fci.get(), FALSE, nextCabinet, status);
    }
    if (good) return true;
    error = (error.empty() ? "cannot write the cabinet " + utf8Of(cabinet) + ": " : error) + fciProblem(failure.erfOper);
    std::error_code ignored;
    fs::remove(cabinet, ignored);
    return false;
}

#include "download/runtime_unpack.h"

#include <vector>

#include "download/inflate.h"
#include "download/zip_directory.h"
#include "support/filesystem.h"
#include "support/path.h"
#include "support/trace.h"
#include "support/unique_handle.h"
#include "support/utf8.h"

namespace {

// An entry's bytes into its file, with the CRC the archive promises.
class FileSink : public ByteSink {
public:
    explicit FileSink(HANDLE file) : file_(file) {}
    bool write(const std::uint8_t* data, std::size_t size) override {
        crc_ = updateCrc32(crc_, data, size);
        while (size > 0) {
            const DWORD piece = size > 0x100000 ? 0x100000 : static_cast<DWORD>(size);
            DWORD written = 0;
            if (!WriteFile(file_, data, piece, &written, nullptr) || written != piece) {
                error_ = GetLastError();
                return false;
            }
            data += piece;
            size -= piece;
        }
        return true;
    }
    std::uint32_t crc() const { return crc_; }
    DWORD error() const { return error_; }

private:
    HANDLE file_;
    std::uint32_t crc_ = 0;
    DWORD error_ = 0;
};

UnpackResult problem(UnpackProblem kind, const Text& detail = Text(), DWORD error = 0) { return {kind, detail, error}; }

Text entryName(const ZipItem& item) {
    Text name;
    if (!decodeUtf8(item.name, name)) name = widenAscii(item.name.c_str());
    return name;
}


UnpackResult writeEntry(const std::uint8_t* view, std::uint64_t size, const ZipItem& item, const Text& path) {
    if (item.isFolder()) {
        const DWORD created = createParentFolders(path + L"\\x");
        return created == 0 ? UnpackResult{} : problem(UnpackProblem::WriteFailed, path, created);
    }
    const std::uint8_t* data = nullptr;
    if (!entryData(view, size, item, data)) return problem(UnpackProblem::NotArchive);
    const DWORD created = createParentFolders(path);
    if (created != 0) return problem(UnpackProblem::WriteFailed, path, created);
    // CREATE_NEW: two entries whose names Windows takes for one file would overwrite each other.
    UniqueFile file(CreateFileW(withLongPathPrefix(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_EXISTS) return problem(UnpackProblem::UnsafeEntry, entryName(item));
        return problem(UnpackProblem::WriteFailed, path, error);
    }
    FileSink sink(file.get());
    bool complete = false;
    if (item.method == 0) {
        complete = sink.write(data, static_cast<std::size_t>(item.size));
    } else {
        const InflateResult inflated = inflateRaw(data, static_cast<std::size_t>(item.compressedSize), item.size, sink);
        if (inflated == InflateResult::Damaged || inflated == InflateResult::TooLong)
            return problem(UnpackProblem::NotArchive);
        complete = inflated == InflateResult::Done;
    }
    if (!complete) return problem(UnpackProblem::WriteFailed, path, sink.error());
    if (sink.crc() != item.crc) return problem(UnpackProblem::NotArchive);
    return {};
}

}  // namespace

UnpackResult unpackArchive(HANDLE file, std::uint64_t size, const Text& folder) {
    if (sizeof(void*) == 4 && size > 0x7FFFFFFF) return problem(UnpackProblem::NotArchive);
    UniqueHandle mapping(CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr));
    UniqueView view(mapping ? MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0) : nullptr);
    if (!view) return problem(UnpackProblem::WriteFailed, folder, GetLastError());
    const auto* bytes = static_cast<const std::uint8_t*>(view.get());
    std::vector<ZipItem> items;
    if (readZipDirectory(bytes, size, items) != ZipProblem::None) return problem(UnpackProblem::NotArchive);
    const std::string top = commonTopFolder(items);
    Text target;
    // Every name is checked before the first file is written: a refused archive writes nothing.
    for (int pass = 0; pass < 2; ++pass) {
        for (const ZipItem& item : items) {
            if (!entryTargetPath(item.name, top, target)) return problem(UnpackProblem::UnsafeEntry, entryName(item));
            if (pass == 0 || target.empty()) continue;  // empty: the top folder itself
            const UnpackResult written = writeEntry(bytes, size, item, folder + target);
            if (written.problem != UnpackProblem::None) return written;
        }
    }
    traceFormatted(L"runtime download: %d entries unpacked into %s", {static_cast<std::uint32_t>(items.size()), folder});
    return {};
}

bool removeFolderTree(const Text& folder) {
    const Text base = ensureTrailingBackslash(folder);
    FileSearch search;
    if (search.findFirst(base + L"*")) {
        do {
            const WIN32_FIND_DATAW& entry = search.entry();
            const Text name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            const Text path = base + name;
            // A link inside is removed as a link: what it points to is not ours.
            const bool folder = entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
            const bool link = entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
            if (folder && !link) removeFolderTree(path);
            else if (folder) RemoveDirectoryW(withLongPathPrefix(path).c_str());
            else DeleteFileW(withLongPathPrefix(path).c_str());
        } while (search.findNext());
    }
    search.close();
    return RemoveDirectoryW(withLongPathPrefix(base).c_str()) != FALSE;
}

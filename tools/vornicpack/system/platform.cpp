#include "system/platform.h"

#include <fstream>
#include <system_error>

#include "texts/text_codec.h"

#ifdef _WIN32
#include <windows.h>
#include <bcrypt.h>
#endif

bool secureRandom(std::uint8_t* out, std::size_t size) {
#ifdef _WIN32
    return BCryptGenRandom(nullptr, out, static_cast<ULONG>(size), BCRYPT_USE_SYSTEM_PREFERRED_RNG) == 0;
#else
    std::ifstream source("/dev/urandom", std::ios::binary);
    return source.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(size)) &&
           static_cast<std::size_t>(source.gcount()) == size;
#endif
}

bool readWholeFile(const std::filesystem::path& path, Bytes& bytes, std::string& error) {
    bytes.clear();
    std::error_code code;
    if (!std::filesystem::is_regular_file(path, code)) {
        error = "cannot read " + utf8Of(path) + ": " +
                (std::filesystem::exists(path, code) ? "it is not a file" : "no such file");
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    Bytes read;
    if (in) read.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) {
        error = "cannot read " + utf8Of(path);
        return false;
    }
    bytes = std::move(read);
    return true;
}

bool writeFilesReplacing(const std::vector<std::pair<std::filesystem::path, Bytes>>& files, std::string& error) {
    std::vector<std::filesystem::path> temporaries;
    auto removeTemporaries = [&] {
        std::error_code ignored;
        for (const auto& temporary : temporaries) std::filesystem::remove(temporary, ignored);
    };
    std::uint8_t random[6];
    if (!secureRandom(random, sizeof random)) {
        error = "the system's random generator failed";
        return false;
    }
    std::string suffix = ".";
    for (const std::uint8_t byte : random) suffix += "0123456789abcdef"[byte >> 4], suffix += "0123456789abcdef"[byte & 15];
    suffix += ".tmp";
    for (const auto& [path, bytes] : files) {
        std::filesystem::path temporary = path;
        temporary += suffix;
        temporaries.push_back(temporary);
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (out) out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (out) out.close();
        if (!out) {
            removeTemporaries();
            std::error_code code;
            const auto folder = path.parent_path().empty() ? std::filesystem::path(".") : path.parent_path();
            error = "cannot write " + utf8Of(path) + ": " +
                    (std::filesystem::is_directory(folder, code) ? "the folder is not writable or the disk is full"
                                                                  : "the folder does not exist");
            return false;
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::error_code code;
        std::filesystem::rename(temporaries[i], files[i].first, code);
        if (code) {
            removeTemporaries();
            error = "cannot replace " + utf8Of(files[i].first) + ": " + code.message();
            return false;
        }
    }
    return true;
}

bool ownProgramFolder(std::filesystem::path& folder) {
    folder.clear();
#ifdef _WIN32
    wchar_t buffer[32768];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
    if (length == 0 || length >= std::size(buffer)) return false;
    folder = std::filesystem::path(std::wstring(buffer, length)).parent_path();
#else
    std::error_code code;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", code);
    if (code) return false;
    folder = self.parent_path();
#endif
    return true;
}

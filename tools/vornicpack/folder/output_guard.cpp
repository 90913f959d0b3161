#include "folder/output_guard.h"

#include <cwctype>
#include <fstream>
#include <system_error>

#include "texts/text_codec.h"

namespace fs = std::filesystem;

namespace {

// Absolute, with "." and ".." and (where they exist) links resolved, without a trailing separator.
fs::path fullPath(const fs::path& path) {
    std::error_code code;
    fs::path full = fs::absolute(path, code);
    if (code) full = path;
    fs::path resolved = fs::weakly_canonical(full, code);
    full = code ? full.lexically_normal() : resolved.lexically_normal();
    if (full.filename().empty() && full.has_relative_path()) full = full.parent_path();
    return full;
}

bool sameComponent(const fs::path& a, const fs::path& b) {
#ifdef _WIN32
    // NTFS does not tell case apart.
    std::wstring left = a.wstring(), right = b.wstring();
    if (left.size() != right.size()) return false;
    for (std::size_t i = 0; i < left.size(); ++i)
        if (std::towlower(left[i]) != std::towlower(right[i])) return false;
    return true;
#else
    return a.native() == b.native();
#endif
}

// True when `inner` is `outer` or lies inside it; both full paths.
bool within(const fs::path& inner, const fs::path& outer) {
    auto at = inner.begin();
    for (const fs::path& part : outer) {
        if (part.empty()) continue;
        if (at == inner.end() || !sameComponent(*at, part)) return false;
        ++at;
    }
    return true;
}

bool sameFull(const fs::path& a, const fs::path& b) { return within(a, b) && within(b, a); }

bool isEmptyFolder(const fs::path& folder) {
    std::error_code code;
    return fs::is_empty(folder, code) && !code;
}

bool checkFolder(const OutputTargets& targets, const std::vector<BuildInput>& inputs, std::string& error) {
    const fs::path out = fullPath(targets.folder);
    const std::string shown = "the output folder " + utf8Of(targets.folder);
    const std::string instead = sameFull(fullPath(targets.defaultFolder), out)
                                    ? std::string("give another Output Folder (or --out)")
                                    : "write it to a folder of its own, such as " + utf8Of(targets.defaultFolder);
    if (within(fullPath(targets.project), out)) {
        error = shown + " holds the project file " + utf8Of(targets.project) +
                ", which the build would delete: " + instead;
        return false;
    }
    std::error_code code;
    if (const fs::path current = fs::current_path(code); !code && within(fullPath(current), out)) {
        error = shown + " holds the current folder " + utf8Of(current) + ": " + instead;
        return false;
    }
    for (const BuildInput& input : inputs) {
        const fs::path in = fullPath(input.path);
        const std::string named = input.kind + " " + utf8Of(input.path);
        if (sameFull(in, out)) {
            error = shown + " is also " + named +
                    (fs::is_directory(input.path, code) ? ", so each build would ship the one before it: "
                                                        : ", which the build would replace: ") +
                    instead;
            return false;
        }
        if (within(in, out)) {
            error = shown + " holds " + named + ", which the build would delete: " + instead;
            return false;
        }
        if (within(out, in)) {
            error = shown + " lies inside " + named +
                    ", so each build would ship the one before it: write it outside " + utf8Of(input.path);
            return false;
        }
    }
    const fs::file_status status = fs::symlink_status(targets.folder, code);
    if (!fs::exists(status)) return true;
    if (!fs::is_directory(status)) {
        error = shown + " is " + (fs::is_symlink(status) ? "a link" : "a file") +
                ", not a folder vornicpack wrote: " + instead;
        return false;
    }
    if (!isEmptyFolder(targets.folder) && !fs::exists(targets.folder / kOutputMarker, code)) {
        error = shown + " holds files vornicpack did not write (it has no " + kOutputMarker +
                " file): " + instead + "; if an earlier vornicpack wrote it, delete it by hand once";
        return false;
    }
    return true;
}

bool checkZip(const OutputTargets& targets, const std::vector<BuildInput>& inputs, std::string& error) {
    const fs::path zip = fullPath(targets.zip);
    const fs::path out = fullPath(targets.folder);
    const std::string shown = "the zip " + utf8Of(targets.zip);
    const std::string instead =
        "give Zip a name of its own, such as " + utf8Of(besideTarget(targets.folder, ".zip"));
    const fs::path project = fullPath(targets.project);
    if (within(project, zip)) {
        error = shown + (sameFull(project, zip) ? " is" : " holds") + " the project file " +
                utf8Of(targets.project) + ": " + instead;
        return false;
    }
    if (within(zip, out)) {
        error = shown + " lies inside the output folder " + utf8Of(targets.folder) +
                ", which the build replaces: " + instead;
        return false;
    }
    if (within(out, zip)) {
        error = shown + " holds the output folder " + utf8Of(targets.folder) + ": " + instead;
        return false;
    }
    for (const BuildInput& input : inputs) {
        const fs::path in = fullPath(input.path);
        const std::string named = input.kind + " " + utf8Of(input.path);
        if (within(in, zip)) {
            error = shown + (sameFull(in, zip) ? " is " : " holds ") + named +
                    ", which the build would replace: " + instead;
            return false;
        }
        if (within(zip, in)) {
            error = shown + " lies inside " + named + ", so the next build would ship it: " + instead;
            return false;
        }
    }
    std::error_code code;
    const fs::file_status status = fs::symlink_status(targets.zip, code);
    if (!fs::exists(status)) return true;
    if (fs::is_directory(status)) {
        error = shown + " is a folder: " + instead;
        return false;
    }
    if (!fs::is_regular_file(status) || !isPackerZip(targets.zip)) {
        error = shown + " exists and is not a zip vornicpack wrote (it lacks the comment \"" + kZipMarkerComment +
                "\"): " + instead + "; if an earlier vornicpack wrote it, delete it by hand once";
        return false;
    }
    return true;
}

bool startsLikeZip(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    char head[4] = {};
    return in.read(head, 4) && head[0] == 'P' && head[1] == 'K' && head[2] == 3 && head[3] == 4;
}

}  // namespace

std::string outputMarkerText() {
    return "vornicpack build wrote this folder and replaces it as a whole on the next build.\n"
           "It replaces no folder without this file.\n";
}

fs::path besideTarget(const fs::path& target, const char* suffix) {
    fs::path beside = target;
    if (beside.filename().empty()) beside = beside.parent_path();
    beside += suffix;
    return beside;
}

bool checkOutputs(const OutputTargets& targets, const std::vector<BuildInput>& inputs, std::string& error) {
    return checkFolder(targets, inputs, error) && (targets.zip.empty() || checkZip(targets, inputs, error));
}

bool isPackerZip(const fs::path& file) {
    // The comment is the last field of the end record: 22 bytes before it, its length in the last two.
    const std::string comment = kZipMarkerComment;
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : 0;
    const std::streamoff tail = 22 + static_cast<std::streamoff>(comment.size());
    if (size < tail) return false;
    std::string end(static_cast<std::size_t>(tail), '\0');
    in.seekg(size - tail);
    if (!in.read(end.data(), tail)) return false;
    return end.compare(0, 4, "PK\x05\x06") == 0 && static_cast<unsigned char>(end[20]) == comment.size() &&
           end[21] == 0 && end.compare(22, std::string::npos, comment) == 0;
}

bool clearLeftover(const fs::path& path, std::string& error) {
    std::error_code code;
    const fs::file_status status = fs::symlink_status(path, code);
    if (!fs::exists(status)) return true;
    const bool ours = fs::is_directory(status) ? isEmptyFolder(path) || fs::exists(path / kOutputMarker, code)
                                                : fs::is_regular_file(status) && (fs::file_size(path, code) == 0 ||
                                                                                  startsLikeZip(path));
    if (!ours) {
        error = utf8Of(path) +
                " holds something vornicpack did not write, under a name it builds with: move it away";
        return false;
    }
    fs::remove_all(path, code);
    if (code) {
        error = "cannot remove the remains of an earlier build, " + utf8Of(path) + ": " + code.message();
        return false;
    }
    return true;
}

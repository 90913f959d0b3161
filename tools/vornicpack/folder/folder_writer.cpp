#include "folder/folder_writer.h"

#include <algorithm>
#include <fstream>
#include <set>

#include "archive/zip_archive.h"
#include "folder/build_lock.h"
#include "folder/launcher_plan.h"
#include "folder/output_guard.h"
#include "folder/output_swap.h"
#include "installer/installer_build.h"
#include "package/verify.h"
#include "system/platform.h"
#include "texts/text_codec.h"

namespace fs = std::filesystem;

namespace {

// The outputs of one build and where they are staged.
struct Staging {
    fs::path target, zip;     // the folder and the zip (empty: none)
    fs::path built, builtZip;  // beside them until they are moved into place
};

bool readSource(const PlannedFile& file, Bytes& bytes, std::string& error) {
    if (file.generated) {
        bytes = file.bytes;
        return true;
    }
    return readWholeFile(file.source, bytes, error);
}

bool writeBytes(const fs::path& path, const Bytes& bytes) {
    std::error_code code;
    fs::create_directories(path.parent_path(), code);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (out) out.close();
    return static_cast<bool>(out);
}

// A fixed signing time, the zip's, keeps the bytes the same (signing.h).
long long signingTime(const BuildRequest& request) {
    return request.sourceDateEpoch < 0 ? 315532800 : request.sourceDateEpoch;
}

// Signs a launcher where it was staged, so that the folder and the zip get the same signed bytes.
bool signStaged(const FolderJob& job, const PlannedFile& file, const fs::path& staged, Bytes& bytes,
                std::string& error) {
    const ProjectPackage& package = job.project.package;
    bool launcher = false;
    for (const Width width : package.widths) launcher = launcher || file.target == encodeUtf8(launcherFileName(package, width));
    if (!job.signing.enabled() || !launcher) return true;
    return signExecutable(job.signing, staged, signingTime(job.request), error) && readWholeFile(staged, bytes, error);
}

// What `vornicpack verify` says about the staged folder; what the packer wrote wrong fails the build,
// what the inputs lack (a version text, a stub's appended bytes) is a note.
bool verifyStaged(const FolderJob& job, const Staging& staging, std::vector<std::string>& notes, std::string& error) {
    VerifyOptions options;
    options.expectSigned = job.signing.enabled();
    VerifyReport report;
    if (!verifyShipment(staging.built, options, report, error)) return false;
    for (const std::string& note : report.notes) notes.push_back(note);
    std::string refusal;
    for (const VerifyFinding& finding : report.findings) {
        Text file;
        decodeUtf8(finding.file, file);
        const std::string line = utf8Of(staging.target / pathFromText(file)) + ": " + finding.text;
        if (finding.kind == FindingKind::Texts || finding.kind == FindingKind::Appended) notes.push_back(line);
        else if (refusal.empty()) refusal = line;
    }
    if (refusal.empty()) return true;
    error = refusal;
    return false;
}

// What the output may neither be, nor hold, nor lie inside.
std::vector<BuildInput> inputsOf(const FolderJob& job) {
    const ProjectPackage& package = job.project.package;
    std::vector<BuildInput> inputs;
    for (const fs::path& input : package.inputs) inputs.push_back({"the Jars entry", input});
    for (const Width width : {Width::X64, Width::X86})
        if (!package.runtimes[static_cast<int>(width)].empty())
            inputs.push_back({std::string("Runtime ") + widthName(width), package.runtimes[static_cast<int>(width)]});
    for (const auto& [kind, path] : {std::pair{"Icon", &package.icon}, std::pair{"Strings", &package.strings},
                                     std::pair{"Splash Screen", &package.splash}})
        if (!path->empty()) inputs.push_back({kind, *path});
    for (const Width width : package.widths)
        inputs.push_back({std::string("the ") + widthName(width) + " stub", stubPath(job.request, package, width)});
    return inputs;
}

bool lockOutput(const fs::path& target, int waitMilliseconds, BuildLock& lock, std::string& error) {
    std::error_code code;
    if (!target.parent_path().empty()) fs::create_directories(target.parent_path(), code);
    const fs::path file = besideTarget(target, kLockSuffix);
    bool busy = false;
    if (BuildLock::acquire(file, waitMilliseconds, lock, busy, error)) return true;
    if (busy)
        error = "another build of " + utf8Of(target) + " is running (it holds " + utf8Of(file) +
                "): wait for it to end";
    return false;
}

bool isMarkerName(const std::string& target) {
    return std::equal(target.begin(), target.end(), kOutputMarker,
                      kOutputMarker + std::char_traits<char>::length(kOutputMarker),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

// A refusal of the output checks, which are about the project's outputs.
bool refuseFor(const std::string& where, std::string& error) {
    error = where + error;
    return false;
}

void abandon(const Staging& staging, InstallerOutputs& installers) {
    std::error_code ignored;
    fs::remove_all(staging.built, ignored);
    if (!staging.builtZip.empty()) fs::remove(staging.builtZip, ignored);
    installers.abandon();
}

// Every check of the outputs, and again once they are locked, as another build may have just ended;
// then the staged folder with the marker in it, so that one an interrupted build leaves is known as
// the packer's.
bool prepareStaging(const FolderJob& job, const std::vector<PlannedFile>& plan, InstallerOutputs& installers,
                    BuildLock (&locks)[2], Staging& staging, std::string& error) {
    const OutputTargets targets{job.request.project, staging.target, staging.zip,
                                job.request.project.parent_path() / pathFromText(job.project.package.name)};
    const std::vector<BuildInput> inputs = inputsOf(job);
    for (const PlannedFile& file : plan)
        if (isMarkerName(file.target)) {
            error = job.where + "a shipped file would be " + file.target + ", the name of the packer's own marker: rename it";
            return false;
        }
    if (!checkOutputs(targets, inputs, error)) return refuseFor(job.where, error);
    if (!installers.plan(job.project, staging.target, staging.zip, inputs, error)) return false;
    const int wait = job.request.lockWaitMilliseconds;
    if (!lockOutput(staging.target, wait, locks[0], error) ||
        (!staging.zip.empty() && !lockOutput(staging.zip, wait, locks[1], error)))
        return false;
    if (!checkOutputs(targets, inputs, error)) return refuseFor(job.where, error);
    if (!clearLeftover(staging.built, error) || !clearLeftover(besideTarget(staging.target, kAsideSuffix), error) ||
        (!staging.zip.empty() && !clearLeftover(staging.builtZip, error)))
        return refuseFor(job.where, error);
    std::error_code code;
    if (!fs::create_directories(staging.built, code)) {
        error = "cannot create " + utf8Of(staging.built) + ": " + (code ? code.message() : "it exists");
        return false;
    }
    const std::string marker = outputMarkerText();
    if (writeBytes(staging.built / kOutputMarker, Bytes(marker.begin(), marker.end()))) return true;
    abandon(staging, installers);
    error = "cannot write " + utf8Of(staging.built / kOutputMarker) + ": the folder is not writable or the disk is full";
    return false;
}

// Each planned file into the staged folder (signed when it is a launcher) and into the zip.
bool stageFiles(const FolderJob& job, const std::vector<PlannedFile>& plan, const Staging& staging, ZipWriter& writer,
                std::string& error) {
    const std::string top = utf8Of(staging.target.filename()) + "/";
    std::set<std::string> folders;
    if (!staging.zip.empty()) writer.addFolder(top);
    for (const PlannedFile& file : plan) {
        Bytes bytes;
        if (!readSource(file, bytes, error)) return false;
        Text name;
        decodeUtf8(file.target, name);
        const fs::path staged = staging.built / pathFromText(name);
        if (!writeBytes(staged, bytes)) {
            error = "cannot write " + utf8Of(staged) + ": the folder is not writable or the disk is full";
            return false;
        }
        if (!signStaged(job, file, staged, bytes, error)) return false;
        if (staging.zip.empty()) continue;
        for (std::size_t at = file.target.find('/'); at != std::string::npos; at = file.target.find('/', at + 1))
            if (folders.insert(file.target.substr(0, at + 1)).second) writer.addFolder(top + file.target.substr(0, at + 1));
        if (!writer.addFile(top + file.target, bytes, error)) return false;
    }
    return true;
}

// The verified folder's zip and installer packages staged too; everything moved into place together.
bool finishStaging(const FolderJob& job, const std::vector<PlannedFile>& plan, const Text& upgradeCode,
                   const Staging& staging, ZipWriter& writer, InstallerOutputs& installers, std::string& error) {
    if (!staging.zip.empty()) {
        Bytes archive;
        if (!writer.finish(archive, error) || !writeBytes(staging.builtZip, archive)) {
            if (error.empty()) error = "cannot write " + utf8Of(staging.builtZip);
            return false;
        }
    }
    // The packages hold the signed launchers, and are signed themselves after them.
    auto signPackage = [&job](const fs::path& package, std::string& problem) {
        return !job.signing.enabled() || signExecutable(job.signing, package, signingTime(job.request), problem);
    };
    return installers.stage(staging.built, plan, upgradeCode, job.request.sourceDateEpoch, error) &&
           installers.signStaged(signPackage, error) && installers.swapIn(error);
}

}  // namespace

bool writeFolder(const FolderJob& job, const std::vector<PlannedFile>& plan, const Text& upgradeCode,
                 std::vector<std::string>& notes, std::string& error) {
    const BuildRequest& request = job.request;
    Staging staging;
    staging.target = request.outputFolder.empty() ? job.project.package.outputFolder : request.outputFolder;
    staging.zip = request.zip.empty() ? job.project.package.zip : request.zip;
    staging.built = besideTarget(staging.target, kStagedSuffix);
    if (!staging.zip.empty()) staging.builtZip = besideTarget(staging.zip, kStagedSuffix);
    InstallerOutputs installers;
    BuildLock locks[2];  // of the folder and the zip, held until the outputs are in place
    if (!prepareStaging(job, plan, installers, locks, staging, error)) return false;

    ZipWriter writer(dosDateTime(request.sourceDateEpoch < 0 ? 0 : request.sourceDateEpoch));
    writer.setComment(kZipMarkerComment);
    if (!stageFiles(job, plan, staging, writer, error) || !verifyStaged(job, staging, notes, error) ||
        !finishStaging(job, plan, upgradeCode, staging, writer, installers, error)) {
        abandon(staging, installers);
        return false;
    }
    if (!swapIntoPlace(staging.built, staging.target, staging.builtZip, staging.zip, error)) {
        installers.swapBack();
        return false;
    }
    notes.push_back("wrote " + utf8Of(staging.target) + " (" + std::to_string(plan.size()) + " files)");
    if (!staging.zip.empty()) notes.push_back("wrote " + utf8Of(staging.zip));
    installers.finish(notes);
    return true;
}

#include "update/update_apply.h"

#include <windows.h>

#include "support/path.h"
#include "support/trace.h"
#include "support/unique_handle.h"
#include "update/stage_check.h"

namespace {

bool isReservedName(const Text& name) {
    const Text prefix = kUpdateReservedPrefix;
    return name.size() >= prefix.size() && equalsNoCase(name.substr(0, prefix.size()), prefix);
}

TextList stagedNames(const UpdatePlace& place) {
    WIN32_FIND_DATAW entry;
    UniqueFind search(FindFirstFileW(withLongPathPrefix(place.updateFolder + L"*").c_str(), &entry));
    TextList names;
    for (bool more = static_cast<bool>(search); more; more = FindNextFileW(search.get(), &entry) != FALSE) {
        const Text name = entry.cFileName;
        if (name != L"." && name != L".." && !isReservedName(name)) names.push_back(name);
    }
    return names;
}

}  // namespace

bool hasStagedFiles(const UpdatePlace& place) { return !stagedNames(place).empty(); }

void removeStagedFiles(const UpdatePlace& place) {
    for (const Text& name : stagedNames(place)) {
        const Text path = place.updateFolder + name;
        if (isFile(path)) deleteStep(path);
        else removeTreeStep(path);
    }
}

namespace {

FileFacts factsOf(const UpdatePlace& place, const Text& path) {
    return {isFile(place.staged(path)), isFile(place.installed(path)), isFile(place.backup(path))};
}

bool doMove(const UpdatePlace& place, Move move, const Text& path) {
    switch (move) {
    case Move::InstalledToBackup: return moveStep(place.installed(path), place.backup(path));
    case Move::StageToInstalled: return moveStep(place.staged(path), place.installed(path));
    case Move::InstalledToDiscard: return moveStep(place.installed(path), place.discard(path), true);
    case Move::BackupToInstalled: return moveStep(place.backup(path), place.installed(path));
    }
    return false;
}

Installed installedState(const UpdatePlace& place, const ManifestFile& file) {
    const Text path = place.installed(file.path);
    if (!isFile(path)) return Installed::Absent;
    std::string sha256;
    unsigned long long size = 0;
    if (file.sha256.empty() || !hashFile(path, sha256, size)) return Installed::Other;
    return size == file.size && sha256 == file.sha256 ? Installed::Same : Installed::Other;
}

}  // namespace

bool readJournal(const UpdatePlace& place, UpdateJournal& journal) {
    std::string bytes;
    return readWholeFile(place.journal(), bytes) && parseJournal(bytes, journal);
}

bool writeJournal(const UpdatePlace& place, const UpdateJournal& journal) {
    return replaceFileWhole(place.journal(), journalText(journal));
}

bool planStage(const UpdatePlace& place, UpdateJournal& journal) {
    UpdateManifest manifest;
    Text why;
    if (!checkStage(place, manifest, why) || !checkInstalledPaths(place, manifest, why)) {
        VORNIC_TRACE(L"update: the staged version in " + place.updateFolder + L" is ignored and removed: " + why);
        removeStagedFiles(place);
        deleteStep(place.manifest());
        return false;
    }
    // The trace of an earlier failed attempt says nothing about this one.
    if (isFile(place.trace())) deleteStep(place.trace());
    journal.state = JournalState::Applying;
    journal.entries = planEntries(manifest, [&](const ManifestFile& file) { return installedState(place, file); });
    if (!writeJournal(place, journal)) {
        VORNIC_TRACE(L"update: the application folder " + place.appFolder + L" cannot be written (error " +
                     decimalText(GetLastError()) + L"): no update");
        return false;
    }
    VORNIC_TRACE(L"update: applying the staged version, " + decimalText(journal.entries.size()) + L" files");
    return true;
}

bool completeApply(const UpdatePlace& place, UpdateJournal& journal) {
    std::vector<Move> moves;
    for (const JournalEntry& entry : journal.entries) {
        if (!forwardMoves(entry.kind, factsOf(place, entry.path), moves)) {
            VORNIC_TRACE(L"update: " + entry.path + L" is not where the journal left it");
            return false;
        }
        for (const Move move : moves)
            if (!doMove(place, move, entry.path)) return false;
    }
    if (isFile(place.manifest())) deleteStep(place.manifest());
    removeStagedFiles(place);
    journal.state = JournalState::Trial;
    if (!writeJournal(place, journal)) return false;
    VORNIC_TRACE(L"update: the new version is in place");
    return true;
}

bool undoApply(const UpdatePlace& place, UpdateJournal& journal) {
    if (journal.state != JournalState::Undoing) {
        journal.state = JournalState::Undoing;
        if (!writeJournal(place, journal)) return false;
    }
    // Never applied again: the manifest goes first.
    if (isFile(place.manifest())) deleteStep(place.manifest());
    for (auto entry = journal.entries.rbegin(); entry != journal.entries.rend(); ++entry) {
        for (const Move move : undoMoves(entry->kind, factsOf(place, entry->path)))
            if (!doMove(place, move, entry->path)) return false;
    }
    removeStagedFiles(place);
    journal.state = JournalState::Undone;
    if (!writeJournal(place, journal)) return false;
    VORNIC_TRACE(L"update: the previous version is back in place");
    return true;
}

void removeBackup(const UpdatePlace& place, bool keepTrace) {
    removeTreeStep(place.backup(Text()));
    removeTreeStep(place.discard(Text()));
    if (!keepTrace && isFile(place.trace())) deleteStep(place.trace());
}

void removeJournal(const UpdatePlace& place) {
    deleteStep(place.journal());
    // Only when nothing is left in it, such as a kept trace.
    RemoveDirectoryW(withLongPathPrefix(place.updateFolder).c_str());
}

#include "update/update_journal.h"

#include "support/utf8.h"

namespace {

const char kHeader[] = "vornicw journal 1";

struct Word {
    const char* text;
    JournalState state;
};
const Word kStates[] = {{"applying", JournalState::Applying}, {"trial", JournalState::Trial},
                        {"reached", JournalState::Reached},   {"undoing", JournalState::Undoing},
                        {"undone", JournalState::Undone}};

const char* kindWord(EntryKind kind) {
    switch (kind) {
    case EntryKind::Replace: return "replace ";
    case EntryKind::Add: return "add ";
    case EntryKind::Remove: return "remove ";
    }
    return "";
}

bool takeEntry(const std::string& line, JournalEntry& entry) {
    for (const EntryKind kind : {EntryKind::Replace, EntryKind::Add, EntryKind::Remove}) {
        const std::string word = kindWord(kind);
        if (line.rfind(word, 0) != 0) continue;
        entry.kind = kind;
        return decodeUtf8(line.substr(word.size()), entry.path) && !entry.path.empty();
    }
    return false;
}

}  // namespace

std::string journalText(const UpdateJournal& journal) {
    std::string text = std::string(kHeader) + "\nstate ";
    for (const Word& word : kStates)
        if (word.state == journal.state) text += word.text;
    text += "\n";
    for (const JournalEntry& entry : journal.entries) text += kindWord(entry.kind) + encodeUtf8(entry.path) + "\n";
    // The last line tells a whole journal from a cut one.
    return text + "end\n";
}

bool parseJournal(const std::string& bytes, UpdateJournal& journal) {
    journal = UpdateJournal();
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) return false;  // the last line ends with its line end
        lines.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    if (lines.size() < 3 || lines[0] != kHeader || lines.back() != "end") return false;
    bool known = false;
    for (const Word& word : kStates) {
        if (lines[1] == std::string("state ") + word.text) {
            journal.state = word.state;
            known = true;
        }
    }
    for (std::size_t i = 2; known && i + 1 < lines.size(); ++i) {
        JournalEntry entry{EntryKind::Add, Text()};
        if (!takeEntry(lines[i], entry)) return false;
        journal.entries.push_back(entry);
    }
    return known;
}

std::vector<JournalEntry> planEntries(const UpdateManifest& manifest,
                                      const std::function<Installed(const ManifestFile&)>& installed) {
    std::vector<JournalEntry> entries;
    for (const ManifestFile& file : manifest.files) {
        const Installed state = installed(file);
        if (state != Installed::Same)
            entries.push_back({state == Installed::Other ? EntryKind::Replace : EntryKind::Add, file.path});
    }
    for (const Text& path : manifest.removed)
        if (installed({path, 0, std::string()}) != Installed::Absent) entries.push_back({EntryKind::Remove, path});
    return entries;
}

StartAction actionAtStart(JournalState state, bool continuingTrial) {
    switch (state) {
    case JournalState::Applying: return StartAction::Complete;
    // A trial that a later start finds has ended without reaching main: it crashed, was killed, or
    // handed its failure on.
    case JournalState::Trial: return continuingTrial ? StartAction::RunTrial : StartAction::Undo;
    case JournalState::Reached: return StartAction::RemoveBackup;
    case JournalState::Undoing: return StartAction::Undo;
    case JournalState::Undone: return StartAction::ReportUndone;
    }
    return StartAction::Undo;
}

bool forwardMoves(EntryKind kind, FileFacts facts, std::vector<Move>& moves) {
    moves.clear();
    switch (kind) {
    case EntryKind::Replace:
        if (!facts.staged) return facts.installed && facts.backedUp;
        if (facts.installed == facts.backedUp) return false;
        if (facts.installed) moves.push_back(Move::InstalledToBackup);
        moves.push_back(Move::StageToInstalled);
        return true;
    case EntryKind::Add:
        if (!facts.staged) return facts.installed;
        if (facts.installed) return false;
        moves.push_back(Move::StageToInstalled);
        return true;
    case EntryKind::Remove:
        if (facts.installed == facts.backedUp) return false;
        if (facts.installed) moves.push_back(Move::InstalledToBackup);
        return true;
    }
    return false;
}

std::vector<Move> undoMoves(EntryKind kind, FileFacts facts) {
    std::vector<Move> moves;
    // A file still staged was never moved: what is installed under its name is not the new version's.
    const bool newInstalled = facts.installed && (kind != EntryKind::Add || !facts.staged);
    if (kind == EntryKind::Remove) {
        if (facts.backedUp && facts.installed) moves.push_back(Move::InstalledToDiscard);
        if (facts.backedUp) moves.push_back(Move::BackupToInstalled);
        return moves;
    }
    if (kind == EntryKind::Add) {
        if (newInstalled) moves.push_back(Move::InstalledToDiscard);
        return moves;
    }
    if (!facts.backedUp) return moves;  // never moved, or already put back
    if (facts.installed) moves.push_back(Move::InstalledToDiscard);
    moves.push_back(Move::BackupToInstalled);
    return moves;
}

bool journalChanges(const UpdateJournal& journal, const Text& path) {
    for (const JournalEntry& entry : journal.entries)
        if (entry.kind != EntryKind::Remove && pathKey(entry.path) == pathKey(path)) return true;
    return false;
}

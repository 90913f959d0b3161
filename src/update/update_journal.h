// The journal of an apply: what the launcher is doing to the application folder, written whole
// (and replaced whole) before each change of state, so that a start after a power cut or a killed
// process knows how to complete the apply or undo it. Portable: the rules of what to move next.
//
//   UpdateJournal journal{JournalState::Applying, planEntries(manifest, installedExists)};
//   for (const JournalEntry& entry : journal.entries) forwardMoves(entry.kind, factsOf(entry), moves);
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "support/text.h"
#include "update/update_manifest.h"

enum class JournalState {
    Applying,  // planned; files are being moved into place
    Trial,     // the new version is in place; its first launch has not reached main yet
    Reached,   // the new version reached main: its backup can go
    Undoing,   // the old version is being put back
    Undone,    // the old version is back; the user is to hear of it once
};

enum class EntryKind {
    Replace,  // an installed file goes to the backup, the staged one takes its place
    Add,      // a staged file with no installed one before it
    Remove,   // an installed file the new version no longer has goes to the backup
};

struct JournalEntry {
    EntryKind kind;
    Text path;  // relative to the application folder
};

struct UpdateJournal {
    JournalState state = JournalState::Applying;
    std::vector<JournalEntry> entries;
};

std::string journalText(const UpdateJournal& journal);
// False for text that is not a whole journal (a torn write is never renamed into place, but a
// foreign file could be there).
bool parseJournal(const std::string& bytes, UpdateJournal& journal);

// What the application folder holds at a path: nothing, the staged file's very bytes (by size and
// SHA-256; empty for a removal), or another file.
enum class Installed { Absent, Same, Other };

// The entries of an apply: a staged file replaces an installed one or is added, and one that is
// already installed as it stands is left where it is (so a launcher that did not change is never
// moved); a removal counts only where the file is installed.
std::vector<JournalEntry> planEntries(const UpdateManifest& manifest,
                                      const std::function<Installed(const ManifestFile&)>& installed);

// What one start does with a journal it finds. `continuingTrial`: this process was started to run
// the trial of the version just applied (the launcher's own executable changed).
enum class StartAction { Complete, RunTrial, Undo, RemoveBackup, ReportUndone };
StartAction actionAtStart(JournalState state, bool continuingTrial);

// One file of an entry, where an interrupted apply or undo may have left it.
struct FileFacts {
    bool staged;     // in the update folder
    bool installed;  // in the application folder
    bool backedUp;   // in the backup folder
};

// Moves between the three places; Discard takes a file of the failed version out of the way (a
// running executable can be renamed but not replaced).
enum class Move { InstalledToBackup, StageToInstalled, InstalledToDiscard, BackupToInstalled };

// The moves that take an entry to its applied end from where it stands; false when the facts fit
// no point of the apply (the folder was changed under it), which undoes the apply.
bool forwardMoves(EntryKind kind, FileFacts facts, std::vector<Move>& moves);
// The moves that give an entry its installed file back; entries are undone in reverse order.
std::vector<Move> undoMoves(EntryKind kind, FileFacts facts);

// True when an entry of the journal puts a new file at `path` (the launcher's own executable).
bool journalChanges(const UpdateJournal& journal, const Text& path);

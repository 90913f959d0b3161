// The apply and its undo, step by step from the journal; each is idempotent, so that a start after
// an interruption at any step runs the same function again and reaches the same end.
#pragma once

#include "support/text.h"
#include "update/update_files.h"
#include "update/update_journal.h"

// Whether the update folder holds anything but the launcher's own files; and their removal.
bool hasStagedFiles(const UpdatePlace& place);
void removeStagedFiles(const UpdatePlace& place);

bool readJournal(const UpdatePlace& place, UpdateJournal& journal);
bool writeJournal(const UpdatePlace& place, const UpdateJournal& journal);

// Checks the staged version and plans it into a journal (state Applying); a bad stage is removed.
// False when there is nothing to apply, with the reason in the trace.
bool planStage(const UpdatePlace& place, UpdateJournal& journal);

// Moves every file of the journal to its applied place, removes what is left of the stage and
// writes the journal as Trial. False when the folder no longer fits the journal.
bool completeApply(const UpdatePlace& place, UpdateJournal& journal);

// Puts every installed file back (the journal says Undoing until then), removes the failed version
// and its stage, and writes the journal as Undone. False when a file cannot be moved: the next
// start tries again.
bool undoApply(const UpdatePlace& place, UpdateJournal& journal);

// Removes the backup, the discarded files and the trace unless `keepTrace`.
void removeBackup(const UpdatePlace& place, bool keepTrace);
// Removes the journal, last, and the update folder when nothing else is in it.
void removeJournal(const UpdatePlace& place);

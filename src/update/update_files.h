// The file operations of an update, each one step that either happened whole or not at all, and
// the places they work on.
//
//   UpdatePlace place;
//   if (!locateUpdate(place)) return;                 // no update folder: one attribute query
//   moveStep(place.staged(path), place.installed(path));
#pragma once

#include <windows.h>

#include <string>

#include "support/text.h"

struct UpdatePlace {
    Text appFolder;     // the launcher's folder, with a closing backslash
    Text updateFolder;  // appFolder + "update\"
    Text exeName;       // the launcher's file name, as a path relative to appFolder

    Text installed(const Text& path) const { return appFolder + path; }
    Text staged(const Text& path) const { return updateFolder + path; }
    Text backup(const Text& path) const { return updateFolder + L"vornicw-update.backup\\" + path; }
    Text discard(const Text& path) const { return updateFolder + L"vornicw-update.discard\\" + path; }
    Text manifest() const { return updateFolder + L"vornicw-update.manifest"; }
    Text journal() const { return updateFolder + L"vornicw-update.journal"; }
    Text trace() const { return updateFolder + L"vornicw-update.trace.txt"; }
};

// The name of the update folder beside the launcher.
extern const wchar_t kUpdateFolderName[];

// True when the folder beside the launcher exists, with `place` filled.
bool locateUpdate(UpdatePlace& place);

// True when a file (not a folder) of that path exists.
bool isFile(const Text& path);

// The file's bytes; false when it cannot be read whole.
bool readWholeFile(const Text& path, std::string& bytes);

// Writes `bytes` under a temporary name beside `path`, flushes it and renames it over `path`: a
// reader sees the old file or the new one, never a part. One step.
bool replaceFileWhole(const Text& path, const std::string& bytes);

// Renames `from` to `to` on the same volume, creating the folders `to` needs; REPLACE_EXISTING
// only where `replace` says so. One step.
bool moveStep(const Text& from, const Text& to, bool replace = false);

// Deletes one file. One step.
bool deleteStep(const Text& path);

// Removes `folder` with everything in it; a link or junction inside is removed itself, never what
// it points to. Returns false when something stays.
bool removeTreeStep(const Text& folder);

// The SHA-256 of a file as 64 lower-case hex digits, and its size; false when it cannot be read.
bool hashFile(const Text& path, std::string& sha256, unsigned long long& size);

// A test-only way to cut an apply short, as a power cut would: with VORNIC_UPDATE_STOP_AFTER=n the
// process ends (exit code 86) right after the n-th step of the update, counted across the processes
// it hands on to. Every step above calls it.
void stepDone();

// The steps still to go before the stop, for a process this one hands on to; false without a stop.
bool stepsBeforeStop(long long& left);

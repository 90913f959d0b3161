// Unpacks a runtime archive (a zip in an open file) into a folder of its own, every entry checked
// before the first byte is written; and removes such a folder again when anything went wrong.
//
//   const UnpackResult unpacked = unpackArchive(file.get(), size, L"C:\\...\\unpack-1a2b-42\\");
//   if (unpacked.problem != UnpackProblem::None) removeFolderTree(folder);
#pragma once

#include <windows.h>

#include <cstdint>

#include "support/text.h"

enum class UnpackProblem {
    None,
    NotArchive,   // no zip archive, a damaged one, or entries the launcher cannot decode
    UnsafeEntry,  // `detail` is an entry's name that would lie outside the folder, or two names meet
    WriteFailed,  // `detail` is the path, `error` the system's code (a full disk: 112)
};

struct UnpackResult {
    UnpackProblem problem = UnpackProblem::None;
    Text detail;
    DWORD error = 0;
};

// `folder` exists, is empty and ends with a backslash. The archive's one top folder, when all its
// entries share one, is left out: the folder becomes the runtime's home.
UnpackResult unpackArchive(HANDLE file, std::uint64_t size, const Text& folder);

// Removes `folder` and all it holds; for the launcher's own unpack and runtime folders only.
bool removeFolderTree(const Text& folder);

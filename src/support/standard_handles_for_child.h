// What a launcher hands to the process it starts in its place: its own standard input, output and
// error, whatever they are (console, pipe or file), so that "tool.exe > out.txt" still writes the
// file after a hand-over; and no other handle this process may hold. Each one goes over as an
// inheritable duplicate named in the child's handle list.
//
//   StandardHandlesForChild handles;
//   CreateProcessW(exe, line, nullptr, nullptr, handles.inherit(), handles.creationFlags(), nullptr,
//                  nullptr, handles.startupInfo(), &started);
#pragma once

#include <windows.h>

#include <vector>

#include "support/unique_handle.h"

class StandardHandlesForChild {
public:
    StandardHandlesForChild();
    ~StandardHandlesForChild();
    StandardHandlesForChild(const StandardHandlesForChild&) = delete;
    StandardHandlesForChild& operator=(const StandardHandlesForChild&) = delete;

    // False when this process has no standard handle but the console's: the child then gets what the
    // system gives it.
    BOOL inherit() const { return passed_ ? TRUE : FALSE; }
    DWORD creationFlags() const { return listed_ ? EXTENDED_STARTUPINFO_PRESENT : 0; }
    STARTUPINFOW* startupInfo() { return &startup_.StartupInfo; }

private:
    UniqueHandle duplicates_[3];
    HANDLE listedHandles_[3] = {};
    std::vector<unsigned char> attributeMemory_;
    STARTUPINFOEXW startup_{};
    bool passed_ = false;
    bool listed_ = false;
};

#include "support/environment.h"

#include <windows.h>

#include "support/growing_buffer.h"

bool readEnvironment(const wchar_t* name, Text& value) {
    return readGrowing(value, [name](wchar_t* buffer, size_t capacity) -> size_t {
        // A variable set to nothing also reads as 0 units, but without this error.
        SetLastError(ERROR_SUCCESS);
        const DWORD length = GetEnvironmentVariableW(name, buffer, static_cast<DWORD>(capacity));
        if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return kReadFailed;
        return length;
    });
}

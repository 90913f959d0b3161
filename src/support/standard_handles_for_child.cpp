#include "support/standard_handles_for_child.h"

namespace {

// Console handles on Windows 7 are no kernel objects (their low two bits are set): they cannot be
// named in a handle list, and a child on the same console opens the console by itself.
bool isKernelHandle(HANDLE handle) { return (reinterpret_cast<ULONG_PTR>(handle) & 3) != 3; }

}  // namespace

StandardHandlesForChild::StandardHandlesForChild() {
    startup_.StartupInfo.cb = sizeof(STARTUPINFOW);
    const DWORD kinds[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    HANDLE passed[3] = {};
    DWORD listedCount = 0;
    for (int i = 0; i < 3; ++i) {
        const HANDLE own = GetStdHandle(kinds[i]);
        HANDLE duplicate = nullptr;
        if (!own || own == INVALID_HANDLE_VALUE ||
            !DuplicateHandle(GetCurrentProcess(), own, GetCurrentProcess(), &duplicate, 0, TRUE, DUPLICATE_SAME_ACCESS)) {
            continue;
        }
        duplicates_[i].reset(duplicate);
        passed[i] = duplicate;
        if (isKernelHandle(duplicate)) listedHandles_[listedCount++] = duplicate;
    }
    // Nothing but the console (or nothing at all): the child finds it without being handed anything.
    if (listedCount == 0) return;
    passed_ = true;
    startup_.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup_.StartupInfo.hStdInput = passed[0];
    startup_.StartupInfo.hStdOutput = passed[1];
    startup_.StartupInfo.hStdError = passed[2];

    // Without the list the child would inherit every inheritable handle of this process as well; a
    // system that refuses the list still gets the standard handles.
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    attributeMemory_.resize(size);
    const auto list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributeMemory_.data());
    if (size == 0 || !InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
    if (!UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, listedHandles_,
                                   listedCount * sizeof(HANDLE), nullptr, nullptr)) {
        DeleteProcThreadAttributeList(list);
        return;
    }
    startup_.lpAttributeList = list;
    startup_.StartupInfo.cb = sizeof(STARTUPINFOEXW);
    listed_ = true;
}

StandardHandlesForChild::~StandardHandlesForChild() {
    if (listed_) DeleteProcThreadAttributeList(startup_.lpAttributeList);
}

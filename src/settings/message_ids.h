// String-table and dialog ids. The packaging supplies the texts; the ids and their arguments are fixed.
#pragma once

enum MessageId : unsigned {
    kDialogRuntimeSelection = 201,
    kMsgEntryPointOrPathFailed = 202,  // text, number (system error code)
    kMsgVmCreationFailed = 203,        // text (213), text (JNI error text or empty)
    kMsgSelectServerRuntime = 206,     // text (requirement)
    kMsgSelectRuntime = 207,           // text (requirement)
    kMsgExePathText = 208,
    kMsgVmOptions = 209,
    kMsgMainClassMissing = 210,
    kMsgMainClassNotFound = 211,       // text (main class, slash form)
    kMsgEntryPointText = 212,
    kMsgVmCreationText = 213,
    kMsgBrowseTitle = 214,
    kMsgMainInvocation = 215,          // text
    kMsgMainInvocationFailed = 216,
    kMsgRequireAny = 217,
    kMsgRequireAtMost = 218,           // text (maximum)
    kMsgRequireAtLeast = 219,          // text (minimum)
    kMsgRequireExactly = 220,          // text (version)
    kMsgRequireRange = 221,            // text (minimum), text (maximum)
    kMsgJvmLoadFailed = 222,           // text (library path), number (system error code)
    kMsgJniErrorFirst = 225,           // 225 for JNI error -1 ... 230 for -6
    kMsgJniErrorLast = 230,
    kDialogException = 231,
    kMsgPairSameWidth = 232,           // text (library path)
    kMsgPairStartFailed = 233,         // text (paired launcher's path), number (system error code)
    kMsgHandOverFailed = 234,
    kMsgNameRuntime = 235,             // text (the INI file beside the executable)
};

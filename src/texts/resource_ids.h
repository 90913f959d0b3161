// The numbers that the launcher and the packer agree on: the resources a packaged copy carries, the
// dialog templates and their controls, and the string-table messages with the arguments that the
// launcher passes to each. The packer checks a replacement text against these arguments, because the
// launcher formats it printf-style.
#pragma once

// RCDATA: the enciphered settings, and their pass phrase enciphered under the Upgrade Code.
inline constexpr int kSettingsResource = 8000;
inline constexpr int kPassPhraseResource = 9000;

// String-table and dialog ids.
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
    kMsgRuntimeLibraryMissing = 236,   // text (the missing library's name), text (jvm.dll's path)
    // The runtime download: the question, the progress window, and what failed.
    kMsgDownloadQuestion = 237,        // text (product), text (requirement), text (megabytes)
    kMsgDownloadTitle = 238,           // text (product)
    kMsgDownloadProgress = 239,        // text (megabytes received), text (megabytes in all), text (megabytes a second)
    kMsgDownloadCancel = 240,
    kMsgDownloadFailed = 241,          // text (URL), text (one of 242 to 249)
    kMsgDownloadUnreachable = 242,     // number (system error code)
    kMsgDownloadHttpStatus = 243,      // number (HTTP status)
    kMsgDownloadWrongSize = 244,       // text (bytes received), text (bytes expected)
    kMsgDownloadWrongHash = 245,
    kMsgDownloadNotWritten = 246,      // text (path), number (system error code)
    kMsgDownloadNotArchive = 247,
    kMsgDownloadUnsafeEntry = 248,     // text (the entry's name)
    kMsgDownloadNoRuntime = 249,
    kMsgDownloadNotByService = 250,
    kMsgDownloadConsoleAnswer = 251,
    kMsgRestartLoop = 252,             // number (restarts), number (seconds)
    kMsgUpdateUndone = 253,            // text (the failed start's trace file)
};

// The controls of the runtime selection dialog (template 201).
enum RuntimeDialogControlId : int {
    kRuntimeDialogPath = 201,
    kRuntimeDialogBrowse = 202,
    kRuntimeDialogMessage = 203,
    kRuntimeDialogLink = 205,
};

// The controls of the exception dialog (template 231).
enum ExceptionDialogControlId : int {
    kExceptionDialogTrace = 208,
    kExceptionDialogFrame = 209,
    kExceptionDialogHeading = 210,
    kExceptionDialogFootnote = 211,
    kExceptionDialogHint = 212,
};

enum class ArgKind { Text, Number };

// What the launcher passes to a message. Unformatted texts are shown or passed on as they stand:
// "%" means nothing in them.
struct MessageArguments {
    unsigned id;
    bool formatted;
    unsigned count;
    ArgKind kinds[3];
};

inline constexpr ArgKind kText = ArgKind::Text;
inline constexpr ArgKind kNumber = ArgKind::Number;

// Every message the launcher shows or uses as a part of one.
inline constexpr MessageArguments kMessageArguments[] = {
    {kMsgEntryPointOrPathFailed, true, 2, {kText, kNumber}},
    {kMsgVmCreationFailed, true, 2, {kText, kText}},
    {kMsgSelectServerRuntime, true, 1, {kText}},
    {kMsgSelectRuntime, true, 1, {kText}},
    {kMsgExePathText, false, 0, {}},
    {kMsgVmOptions, false, 0, {}},
    {kMsgMainClassMissing, false, 0, {}},
    {kMsgMainClassNotFound, true, 1, {kText}},
    {kMsgEntryPointText, false, 0, {}},
    {kMsgVmCreationText, false, 0, {}},
    {kMsgBrowseTitle, false, 0, {}},
    {kMsgMainInvocation, true, 1, {kText}},
    {kMsgMainInvocationFailed, false, 0, {}},
    {kMsgRequireAny, true, 0, {}},
    {kMsgRequireAtMost, true, 1, {kText}},
    {kMsgRequireAtLeast, true, 1, {kText}},
    {kMsgRequireExactly, true, 1, {kText}},
    {kMsgRequireRange, true, 2, {kText, kText}},
    {kMsgJvmLoadFailed, true, 2, {kText, kNumber}},
    {225, false, 0, {}},
    {226, false, 0, {}},
    {227, false, 0, {}},
    {228, false, 0, {}},
    {229, false, 0, {}},
    {230, false, 0, {}},
    {kMsgPairSameWidth, true, 1, {kText}},
    {kMsgPairStartFailed, true, 2, {kText, kNumber}},
    {kMsgHandOverFailed, false, 0, {}},
    {kMsgNameRuntime, true, 1, {kText}},
    {kMsgRuntimeLibraryMissing, true, 2, {kText, kText}},
    {kMsgDownloadQuestion, true, 3, {kText, kText, kText}},
    {kMsgDownloadTitle, true, 1, {kText}},
    {kMsgDownloadProgress, true, 3, {kText, kText, kText}},
    {kMsgDownloadCancel, false, 0, {}},
    {kMsgDownloadFailed, true, 2, {kText, kText}},
    {kMsgDownloadUnreachable, true, 1, {kNumber}},
    {kMsgDownloadHttpStatus, true, 1, {kNumber}},
    {kMsgDownloadWrongSize, true, 2, {kText, kText}},
    {kMsgDownloadWrongHash, false, 0, {}},
    {kMsgDownloadNotWritten, true, 2, {kText, kNumber}},
    {kMsgDownloadNotArchive, false, 0, {}},
    {kMsgDownloadUnsafeEntry, true, 1, {kText}},
    {kMsgDownloadNoRuntime, false, 0, {}},
    {kMsgDownloadNotByService, false, 0, {}},
    {kMsgDownloadConsoleAnswer, false, 0, {}},
    {kMsgRestartLoop, true, 2, {kNumber, kNumber}},
    {kMsgUpdateUndone, true, 1, {kText}},
};

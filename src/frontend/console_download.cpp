// The console launcher's side of a runtime download: the question and the progress on standard
// error, the answer from the console. Without a console to answer on, an application that asks
// first downloads nothing and goes on as it would without a download.
#include "download/download_progress.h"
#include "download/http_download.h"
#include "frontend/standard_error.h"
#include "texts/frontend.h"
#include "texts/messages.h"

namespace {

bool standardErrorIsConsole() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != FALSE;
}

// The first letter of a line typed at the console, or 0 when there is no console to type at.
wchar_t consoleAnswer() {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (!GetConsoleMode(input, &mode)) return 0;
    wchar_t line[64] = {};
    DWORD read = 0;
    if (!ReadConsoleW(input, line, 63, &read, nullptr) || read == 0) return 0;
    return line[0];
}

}  // namespace

namespace own_frontend {

bool agreesToDownload(const Text& question, const Text&) {
    DWORD mode = 0;
    if (!GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode)) return false;
    writeStandardError(question + L"\n" + stringOf(kMsgDownloadConsoleAnswer));
    const wchar_t answer = consoleAnswer();
    return answer == L'y' || answer == L'Y';
}

void followDownload(HttpDownload& download, const Text& title, std::uint64_t total) {
    // A console shows one line that keeps changing; a pipe or a file gets a line for every tenth.
    const bool console = standardErrorIsConsole();
    writeStandardError(title + L"\n");
    TransferRate rate;
    std::uint64_t tenthShown = 0;
    for (bool finished = false; !finished;) {
        finished = WaitForSingleObject(download.finished(), console ? 250 : 500) == WAIT_OBJECT_0;
        const std::uint64_t received = download.received();
        rate.sample(received, GetTickCount());
        const std::uint64_t tenth = total ? received * 10 / total : 0;
        if (!console && !finished && tenth == tenthShown) continue;
        tenthShown = tenth;
        const Text line = formatMessageId(kMsgDownloadProgress, {megabytesText(received), megabytesText(total),
                                                                 megabytesText(rate.bytesPerSecond())});
        writeStandardError(console ? L"\r" + line + (finished ? L"\n" : L"") : line + L"\n");
    }
}

}  // namespace own_frontend

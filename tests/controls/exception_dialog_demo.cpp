// Shows the exception dialog with a long, nested stack trace; the exit code is the dialog's result.
#include <windows.h>

#include <string>

#include "controls/exception_dialog.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    Text trace = L"java.lang.IllegalStateException: the order book could not be loaded from C:\\Users\\ann\\AppData\\"
                 L"Roaming\\Ledger\\books\\2024-03-05.ledger because its header names an unknown format version\n";
    for (int i = 0; i < 40; ++i) {
        trace += L"\tat com.example.ledger.io.BookReader.readSection" + std::to_wstring(i) + L"(BookReader.java:" +
                 std::to_wstring(100 + i * 7) + L")\n";
    }
    trace += L"Caused by: java.io.UncheckedIOException: unexpected end of stream\n"
             L"\tat com.example.ledger.io.Frames.next(Frames.java:77)\n\t... 40 more\n";
    return static_cast<int>(ExceptionDialog::show(nullptr, trace));
}

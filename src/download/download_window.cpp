#include "download/download_window.h"

#include "controls/shell_functions.h"
#include "download/download_progress.h"
#include "download/http_download.h"
#include "texts/messages.h"

namespace {

struct Progress {
    HttpDownload& download;
    std::uint64_t total;
    TransferRate rate;
    Text text;  // the dialog keeps a pointer to the text it shows
};

bool finished(const Progress& progress) { return WaitForSingleObject(progress.download.finished(), 0) == WAIT_OBJECT_0; }

void show(HWND dialog, Progress& progress) {
    const std::uint64_t received = progress.download.received();
    progress.rate.sample(received, GetTickCount());
    progress.text = formatMessageId(kMsgDownloadProgress, {megabytesText(received), megabytesText(progress.total),
                                                           megabytesText(progress.rate.bytesPerSecond())});
    SendMessageW(dialog, TDM_SET_ELEMENT_TEXT, TDE_CONTENT, reinterpret_cast<LPARAM>(progress.text.c_str()));
    const WPARAM permille = progress.total ? static_cast<WPARAM>(received * 1000 / progress.total) : 0;
    SendMessageW(dialog, TDM_SET_PROGRESS_BAR_POS, permille > 1000 ? 1000 : permille, 0);
}

HRESULT CALLBACK notified(HWND dialog, UINT notification, WPARAM, LPARAM, LONG_PTR data) {
    Progress& progress = *reinterpret_cast<Progress*>(data);
    switch (notification) {
        case TDN_CREATED:
            SendMessageW(dialog, TDM_SET_PROGRESS_BAR_RANGE, 0, MAKELPARAM(0, 1000));
            show(dialog, progress);
            break;
        case TDN_TIMER:
            show(dialog, progress);
            // The download's end closes the dialog the way Cancel would, which then finds nothing to stop.
            if (finished(progress)) SendMessageW(dialog, TDM_CLICK_BUTTON, IDCANCEL, 0);
            break;
        case TDN_BUTTON_CLICKED:
            // Closing the request ends a read that waits for the network at once.
            if (!finished(progress)) progress.download.cancel();
            break;
        default: break;
    }
    return S_OK;
}

}  // namespace

void followDownloadInWindow(HttpDownload& download, const Text& title, std::uint64_t total) {
    Progress progress{download, total, {}, {}};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof(config);
    config.hInstance = GetModuleHandleW(nullptr);
    config.dwFlags = TDF_SHOW_PROGRESS_BAR | TDF_CALLBACK_TIMER | TDF_ALLOW_DIALOG_CANCELLATION;
    config.dwCommonButtons = TDCBF_CANCEL_BUTTON;
    config.pszWindowTitle = title.c_str();
    config.pszMainInstruction = title.c_str();
    config.pszContent = L" ";
    config.pfCallback = notified;
    config.lpCallbackData = reinterpret_cast<LONG_PTR>(&progress);
    // Where the dialog cannot show, or once it has closed, the launch waits for the download's end.
    if (const auto taskDialog = shellFunctions().taskDialogIndirect) taskDialog(&config, nullptr, nullptr, nullptr);
    WaitForSingleObject(download.finished(), INFINITE);
}

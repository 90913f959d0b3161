// The frontend calls: to the installed override when there is one, else to the executable's own.
#include <atomic>

#include "download/http_download.h"
#include "texts/frontend.h"

namespace {

std::atomic<FrontendOverride*> g_override{nullptr};

}  // namespace

void overrideFrontend(FrontendOverride* frontend) { g_override.store(frontend); }

void restoreFrontend(FrontendOverride* frontend) { g_override.compare_exchange_strong(frontend, nullptr); }

int presentMessage(HWND owner, const Text& text, const Text* caption) {
    if (FrontendOverride* frontend = g_override.load()) return frontend->presentMessage(text, caption);
    return own_frontend::presentMessage(owner, text, caption);
}

INT_PTR askForRuntimeFolder(const Text& prompt, JvmType type, RuntimeChoice& choice) {
    if (FrontendOverride* frontend = g_override.load()) return frontend->askForRuntimeFolder(prompt);
    return own_frontend::askForRuntimeFolder(prompt, type, choice);
}

bool presentException(const Text& text) {
    if (FrontendOverride* frontend = g_override.load()) return frontend->presentException(text);
    return own_frontend::presentException(text);
}

// A service never downloads (the launch says why in its log); should anything ask, nobody answers.
bool agreesToDownload(const Text& question, const Text& caption) {
    if (g_override.load()) return false;
    return own_frontend::agreesToDownload(question, caption);
}

void followDownload(HttpDownload& download, const Text& title, std::uint64_t total) {
    if (g_override.load()) {
        WaitForSingleObject(download.finished(), INFINITE);
        return;
    }
    own_frontend::followDownload(download, title, total);
}

#include "settings/messages.h"

#include <atomic>

#include "display/process_dpi.h"
#include "frontend/frontend.h"
#include "support/growing_buffer.h"

namespace {

std::atomic<HWND> g_messageOwner{nullptr};

// The string as the system's loader picks it for the thread's language, grown until it fits.
Text loadWithSystemLoader(unsigned id) {
    Text text;
    readGrowing(
        text,
        [id](wchar_t* buffer, size_t capacity) -> size_t {
            const int length = LoadStringW(GetModuleHandleW(nullptr), id, buffer, static_cast<int>(capacity));
            if (length <= 0) return 0;
            return static_cast<size_t>(length) >= capacity - 1 ? capacity : static_cast<size_t>(length);
        },
        256);
    return text;
}

// True when the block of `id` in the neutral language holds a non-empty string at its position.
bool blockHasString(HMODULE module, unsigned id) {
    HRSRC found = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1),
                                  MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    if (!found) return false;
    HGLOBAL loaded = LoadResource(module, found);
    const DWORD size = SizeofResource(module, found);
    const auto* units = static_cast<const WORD*>(loaded ? LockResource(loaded) : nullptr);
    if (!units) return false;
    const size_t count = size / sizeof(WORD);
    size_t at = 0;
    for (unsigned index = 0; index < id % 16; ++index) {
        if (at >= count) return false;
        at += 1 + units[at];
    }
    return at < count && units[at] != 0;
}

}  // namespace

HWND messageOwner() { return g_messageOwner.load(); }

void setMessageOwner(HWND owner) { g_messageOwner.store(owner); }

bool loadStringId(unsigned id, Text& text) {
    HMODULE module = GetModuleHandleW(nullptr);
    if (!blockHasString(module, id)) return false;
    const wchar_t* start = nullptr;
    // With a zero buffer size the loader hands out the string in place; its length comes from the table.
    const int length = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&start), 0);
    if (length <= 0 || !start) return false;
    text.assign(start, static_cast<size_t>(length));
    return true;
}

int showMessage(HWND owner, const Text& text, const Text* caption) {
    const SystemAwareThread sharp;
    return presentMessage(owner, text, caption);
}

int showMessage(HWND owner, unsigned textId, unsigned captionId) {
    const Text text = loadWithSystemLoader(textId);
    if (captionId == 0) return showMessage(owner, text);
    const Text caption = loadWithSystemLoader(captionId);
    return showMessage(owner, text, &caption);
}

void showFormattedMessage(HWND owner, const Text& format, std::initializer_list<FormatArg> args) {
    showMessage(owner, formatText(format, args));
}

Text stringOf(unsigned id) {
    Text text;
    loadStringId(id, text);
    return text;
}

void showMessageId(unsigned formatId, std::initializer_list<FormatArg> args) {
    showFormattedMessage(messageOwner(), stringOf(formatId), args);
}

Text formatMessageId(unsigned formatId, std::initializer_list<FormatArg> args) {
    Text format;
    if (!loadStringId(formatId, format)) return Text();
    return formatText(format, args);
}

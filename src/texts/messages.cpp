#include "texts/messages.h"

#include <atomic>

#include "support/resource_module.h"
#include "texts/frontend.h"
#include "texts/localized_resource.h"

namespace {

std::atomic<HWND> g_messageOwner{nullptr};

// The string at `id`'s position in a string-table block; empty when the block holds none there.
Text stringInBlock(HMODULE module, HRSRC found, unsigned id) {
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const DWORD size = found ? SizeofResource(module, found) : 0;
    const auto* units = static_cast<const WORD*>(loaded ? LockResource(loaded) : nullptr);
    if (!units) return Text();
    const size_t count = size / sizeof(WORD);
    size_t at = 0;
    for (unsigned index = 0; index < id % 16; ++index) {
        if (at >= count) return Text();
        at += 1 + units[at];
    }
    if (at >= count || at + 1 + units[at] > count) return Text();
    return Text(reinterpret_cast<const wchar_t*>(units + at + 1), units[at]);
}

}  // namespace

HWND messageOwner() { return g_messageOwner.load(); }

void setMessageOwner(HWND owner) { g_messageOwner.store(owner); }

bool loadStringId(unsigned id, Text& text) {
    HMODULE module = resourceModule();
    const LPCWSTR block = MAKEINTRESOURCEW(id / 16 + 1);
    // The user's language first; a string it lacks comes from the neutral table.
    Text found = stringInBlock(module, findLocalizedResource(module, RT_STRING, block), id);
    if (found.empty()) found = stringInBlock(module, findNeutralResource(module, RT_STRING, block), id);
    if (found.empty()) return false;
    text = std::move(found);
    return true;
}

int showMessage(HWND owner, const Text& text, const Text* caption) {
    return presentMessage(owner, text, caption);
}

int showMessage(HWND owner, unsigned textId, unsigned captionId) {
    const Text text = stringOf(textId);
    if (captionId == 0) return showMessage(owner, text);
    const Text caption = stringOf(captionId);
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

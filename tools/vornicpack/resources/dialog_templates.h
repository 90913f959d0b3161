// Extended dialog templates (DLGTEMPLATEEX) for the two dialogs the launcher shows: 201, the runtime
// selection, and 231, the resizable exception dialog. Sizes are dialog units of an 8-point
// "MS Shell Dlg" font, so the system scales them with the display's DPI.
#pragma once

#include <cstdint>
#include <vector>

#include "pe/resource_tree.h"
#include "support/text.h"

struct DialogControl {
    std::uint32_t id;
    std::uint16_t classOrdinal;  // 0x80 button, 0x81 edit, 0x82 static
    std::uint32_t style;
    std::uint32_t exStyle;
    std::int16_t x, y, cx, cy;
    Text text;
};

struct DialogTemplate {
    std::uint32_t style;
    std::uint32_t exStyle;
    std::int16_t x, y, cx, cy;
    Text title;
    Text fontName = L"MS Shell Dlg";
    std::uint16_t pointSize = 8;
    std::vector<DialogControl> controls;
};

Bytes encodeDialog(const DialogTemplate& dialog);

struct DialogWords;

struct DialogTexts {
    Text productName;   // in the captions; may be empty
    Text downloadPage;  // the link of dialog 201
    const DialogWords* words = nullptr;  // the language's fixed words; null: English
};

DialogTemplate runtimeSelectionDialog(const DialogTexts& texts);
DialogTemplate exceptionDialog(const DialogTexts& texts);

// RT_DIALOG 201 and 231 in the given resource language.
std::vector<Resource> buildDialogs(const DialogTexts& texts, std::uint16_t language = kLanguageNeutral);

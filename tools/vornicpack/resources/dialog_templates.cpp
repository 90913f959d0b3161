#include "resources/dialog_templates.h"

#include "pe/byte_io.h"
#include "support/utf16.h"
#include "texts/language_texts.h"
#include "texts/resource_ids.h"

namespace {

// Window and control styles, spelled out so that this file builds without the system's headers.
constexpr std::uint32_t WS_POPUP = 0x80000000, WS_CHILD = 0x40000000, WS_VISIBLE = 0x10000000,
                        WS_CAPTION = 0x00C00000, WS_SYSMENU = 0x00080000,
                        WS_THICKFRAME = 0x00040000, WS_VSCROLL = 0x00200000, WS_HSCROLL = 0x00100000,
                        WS_GROUP = 0x00020000, WS_TABSTOP = 0x00010000;
constexpr std::uint32_t DS_MODALFRAME = 0x80, DS_SETFONT = 0x40, DS_FIXEDSYS = 0x08, DS_CENTER = 0x800;
constexpr std::uint32_t BS_PUSHBUTTON = 0, BS_DEFPUSHBUTTON = 1, BS_GROUPBOX = 7;
constexpr std::uint32_t ES_MULTILINE = 0x4, ES_AUTOVSCROLL = 0x40, ES_AUTOHSCROLL = 0x80, ES_READONLY = 0x800;
constexpr std::uint32_t SS_LEFT = 0, SS_NOTIFY = 0x100, SS_NOPREFIX = 0x80;
constexpr std::uint32_t WS_EX_CLIENTEDGE = 0x200;
constexpr std::uint16_t kButton = 0x80, kEdit = 0x81, kStatic = 0x82;
constexpr std::uint32_t kIdOk = 1, kIdCancel = 2, kIdStatic = 0xFFFFFFFF;

void appendText(Bytes& out, const Text& text) {
    const Bytes units = toUtf16Le(text);
    out.insert(out.end(), units.begin(), units.end());
    appendLe16(out, 0);
}

Text withProduct(const DialogTexts& texts, const Text& title) {
    return texts.productName.empty() ? title : texts.productName + L" - " + title;
}

}  // namespace

Bytes encodeDialog(const DialogTemplate& dialog) {
    Bytes out;
    appendLe16(out, 1);       // dlgVer
    appendLe16(out, 0xFFFF);  // signature of the extended form
    appendLe32(out, 0);       // helpID
    appendLe32(out, dialog.exStyle);
    appendLe32(out, dialog.style | DS_SETFONT);
    appendLe16(out, static_cast<std::uint16_t>(dialog.controls.size()));
    for (const std::int16_t value : {dialog.x, dialog.y, dialog.cx, dialog.cy})
        appendLe16(out, static_cast<std::uint16_t>(value));
    appendLe16(out, 0);  // no menu
    appendLe16(out, 0);  // the system's dialog class
    appendText(out, dialog.title);
    appendLe16(out, dialog.pointSize);
    appendLe16(out, 400);  // weight
    out.push_back(0);      // italic
    out.push_back(1);      // DEFAULT_CHARSET
    appendText(out, dialog.fontName);
    for (const DialogControl& control : dialog.controls) {
        padTo(out, 4);
        appendLe32(out, 0);  // helpID
        appendLe32(out, control.exStyle);
        appendLe32(out, control.style | WS_CHILD | WS_VISIBLE);
        for (const std::int16_t value : {control.x, control.y, control.cx, control.cy})
            appendLe16(out, static_cast<std::uint16_t>(value));
        appendLe32(out, control.id);
        appendLe16(out, 0xFFFF);
        appendLe16(out, control.classOrdinal);
        appendText(out, control.text);
        appendLe16(out, 0);  // no creation data
    }
    return out;
}

const DialogWords& wordsOf(const DialogTexts& texts) { return texts.words ? *texts.words : englishTexts().dialog; }

// Sized for the longest language: German and Russian run to seven lines of explanation and the
// longest labels; CJK texts are shorter but their glyphs are taller, which the line heights allow.
DialogTemplate runtimeSelectionDialog(const DialogTexts& texts) {
    const DialogWords& words = wordsOf(texts);
    DialogTemplate dialog{WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_FIXEDSYS | DS_CENTER,
                          0, 0, 0, 320, 176, withProduct(texts, words.runtimeTitle), L"MS Shell Dlg", 8, {}};
    dialog.controls = {
        // The launcher puts its explanation here; it can run to eight lines.
        {kRuntimeDialogMessage, kStatic, SS_LEFT | SS_NOPREFIX, 0, 7, 7, 306, 74, L""},
        {kIdStatic, kStatic, SS_LEFT, 0, 7, 86, 306, 9, words.folderLabel},
        {kRuntimeDialogPath, kEdit, ES_AUTOHSCROLL | ES_READONLY | WS_TABSTOP, WS_EX_CLIENTEDGE, 7, 97, 230, 14, L""},
        {kRuntimeDialogBrowse, kButton, BS_PUSHBUTTON | WS_TABSTOP, 0, 241, 97, 72, 14, words.browse},
        {kIdStatic, kStatic, SS_LEFT, 0, 7, 120, 306, 9, words.downloadPrompt},
        {kRuntimeDialogLink, kStatic, SS_LEFT | SS_NOTIFY | SS_NOPREFIX | WS_TABSTOP, 0, 7, 131, 306, 9, texts.downloadPage},
        {kIdOk, kButton, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, 187, 155, 60, 14, words.ok},
        {kIdCancel, kButton, BS_PUSHBUTTON | WS_TABSTOP, 0, 253, 155, 60, 14, words.cancel},
    };
    return dialog;
}

DialogTemplate exceptionDialog(const DialogTexts& texts) {
    const DialogWords& words = wordsOf(texts);
    DialogTemplate dialog{WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME | DS_FIXEDSYS,
                          0, 0, 0, 360, 226, withProduct(texts, words.errorTitle), L"MS Shell Dlg", 8, {}};
    // Anchors (applied by the launcher): the heading stays on top; the group box and the details grow
    // both ways; the footnote and the hint follow the bottom edge; the buttons keep to the bottom-right corner.
    dialog.controls = {
        {kExceptionDialogHeading, kStatic, SS_LEFT | SS_NOPREFIX, 0, 7, 7, 346, 18, words.errorHeading},
        {kExceptionDialogFrame, kButton, BS_GROUPBOX, 0, 7, 28, 346, 112, words.details},
        {kExceptionDialogTrace, kEdit, ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_READONLY | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP,
         WS_EX_CLIENTEDGE, 14, 40, 332, 93, L""},
        {kExceptionDialogFootnote, kStatic, SS_LEFT | SS_NOPREFIX, 0, 7, 145, 346, 27, words.errorFootnote},
        {kExceptionDialogHint, kStatic, SS_LEFT | SS_NOPREFIX, 0, 7, 174, 346, 18, words.copyHint},
        {kIdOk, kButton, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, 199, 205, 74, 14, words.continueButton},
        {kIdCancel, kButton, BS_PUSHBUTTON | WS_TABSTOP, 0, 279, 205, 74, 14, words.endProgram},
    };
    return dialog;
}

std::vector<Resource> buildDialogs(const DialogTexts& texts, std::uint16_t language) {
    std::vector<Resource> resources;
    for (const auto& [id, dialog] : {std::pair{kDialogRuntimeSelection, runtimeSelectionDialog(texts)}, std::pair{kDialogException, exceptionDialog(texts)}}) {
        Resource resource;
        resource.type = ResourceName::of(kTypeDialog);
        resource.name = ResourceName::of(static_cast<std::uint16_t>(id));
        resource.language = language;
        resource.data = encodeDialog(dialog);
        resources.push_back(std::move(resource));
    }
    return resources;
}

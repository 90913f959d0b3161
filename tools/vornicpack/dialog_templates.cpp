#include "dialog_templates.h"

#include "byte_io.h"
#include "settings/resource_ids.h"

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

DialogTemplate runtimeSelectionDialog(const DialogTexts& texts) {
    DialogTemplate dialog{WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_FIXEDSYS | DS_CENTER,
                          0, 0, 0, 300, 150, withProduct(texts, L"Java Runtime Needed"), L"MS Shell Dlg", 8, {}};
    dialog.controls = {
        // The launcher puts its explanation here; it can run to four lines.
        {kRuntimeDialogMessage, kStatic, SS_LEFT | SS_NOPREFIX, 0, 7, 7, 286, 50, L""},
        {kIdStatic, kStatic, SS_LEFT, 0, 7, 62, 286, 9, L"&Java runtime folder:"},
        {kRuntimeDialogPath, kEdit, ES_AUTOHSCROLL | ES_READONLY | WS_TABSTOP, WS_EX_CLIENTEDGE, 7, 73, 226, 14, L""},
        {kRuntimeDialogBrowse, kButton, BS_PUSHBUTTON | WS_TABSTOP, 0, 237, 73, 56, 14, L"&Browse..."},
        {kIdStatic, kStatic, SS_LEFT, 0, 7, 96, 286, 9, L"No Java runtime installed? Download one from:"},
        {kRuntimeDialogLink, kStatic, SS_LEFT | SS_NOTIFY | SS_NOPREFIX | WS_TABSTOP, 0, 7, 107, 286, 9, texts.downloadPage},
        {kIdOk, kButton, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, 183, 129, 52, 14, L"OK"},
        {kIdCancel, kButton, BS_PUSHBUTTON | WS_TABSTOP, 0, 241, 129, 52, 14, L"Cancel"},
    };
    return dialog;
}

DialogTemplate exceptionDialog(const DialogTexts& texts) {
    DialogTemplate dialog{WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME | DS_FIXEDSYS,
                          0, 0, 0, 340, 210, withProduct(texts, L"Unexpected Error"), L"MS Shell Dlg", 8, {}};
    // Anchors (applied by the launcher): the heading stays on top; the group box and the details grow
    // both ways; the footnote and the hint follow the bottom edge; the buttons keep to the bottom-right corner.
    dialog.controls = {
        {kExceptionDialogHeading, kStatic, SS_LEFT | SS_NOPREFIX, 0, 7, 7, 326, 18,
         L"The application ran into an error it did not handle. It may not work correctly from now on."},
        {kExceptionDialogFrame, kButton, BS_GROUPBOX, 0, 7, 28, 326, 118, L"Details"},
        {kExceptionDialogTrace, kEdit, ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_READONLY | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP,
         WS_EX_CLIENTEDGE, 14, 40, 312, 99, L""},
        {kExceptionDialogFootnote, kStatic, SS_LEFT | SS_NOPREFIX, 0, 7, 151, 326, 18,
         L"Choose Continue to keep the application running, or End Program to close it. Unsaved work may be lost "
         L"either way."},
        {kExceptionDialogHint, kStatic, SS_LEFT | SS_NOPREFIX, 0, 7, 172, 326, 9,
         L"To report the problem, select the details and copy them with Ctrl+C."},
        {kIdOk, kButton, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, 221, 189, 54, 14, L"&Continue"},
        {kIdCancel, kButton, BS_PUSHBUTTON | WS_TABSTOP, 0, 279, 189, 54, 14, L"&End Program"},
    };
    return dialog;
}

std::vector<Resource> buildDialogs(const DialogTexts& texts) {
    std::vector<Resource> resources;
    for (const auto& [id, dialog] : {std::pair{kDialogRuntimeSelection, runtimeSelectionDialog(texts)}, std::pair{kDialogException, exceptionDialog(texts)}}) {
        Resource resource;
        resource.type = ResourceName::of(kTypeDialog);
        resource.name = ResourceName::of(static_cast<std::uint16_t>(id));
        resource.data = encodeDialog(dialog);
        resources.push_back(std::move(resource));
    }
    return resources;
}

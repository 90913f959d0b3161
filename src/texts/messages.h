// Everything the launcher says to the user goes through these: texts from the string table by id,
// shown in a message box with the error icon, owned by the splash window when there is one.
#pragma once

#include <windows.h>

#include <initializer_list>

#include "support/format.h"
#include "support/text.h"
#include "texts/resource_ids.h"

// The owner of every message box: the splash window once it exists, else none.
HWND messageOwner();
void setMessageOwner(HWND owner);

// The string `id` of the executable's string table; false (and `text` unchanged) when there is none.
bool loadStringId(unsigned id, Text& text);

// Message boxes with OK and the error icon. A caption id of 0 means the system's default caption.
int showMessage(HWND owner, const Text& text, const Text* caption = nullptr);
int showMessage(HWND owner, unsigned textId, unsigned captionId = 0);

// Formats `format` printf-style (see formatText) and shows it without a caption.
void showFormattedMessage(HWND owner, const Text& format, std::initializer_list<FormatArg> args);

// Formats the string `formatId`; a missing string gives an empty text.
Text formatMessageId(unsigned formatId, std::initializer_list<FormatArg> args);

// The string `id`, empty when the table has none.
Text stringOf(unsigned id);

// Formats the string `formatId` and shows it, owned by messageOwner(); a missing format shows an
// empty box, as a missing text does.
void showMessageId(unsigned formatId, std::initializer_list<FormatArg> args);

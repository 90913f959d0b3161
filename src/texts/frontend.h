// How the launcher reaches its user: the one thing in which the windowed launcher (vornicw.exe) and
// the console launcher (vornicwc.exe) differ. Each executable links one implementation of
// own_frontend: windowed_frontend.cpp shows message boxes and dialogs; console_frontend.cpp writes the
// same texts to standard error and opens no window (a splash that the settings ask for still shows).
// A process that runs as a service installs a FrontendOverride instead (service/service_frontend.h).
//
//   presentMessage(messageOwner(), text, nullptr);   // a box, a line on standard error, or a log entry
#pragma once

#include <windows.h>

#include <cstdint>

#include "support/text.h"

// Declared by the subsystems that use them (runtime/jvm_type.h, runtime/runtime_selection_prompt.h,
// download/http_download.h); the frontends that implement these calls include them.
enum class JvmType;
struct RuntimeChoice;
class HttpDownload;

// A message with the error icon; `caption` null: the system's default caption. What MessageBox
// answers (IDOK), 0 when nothing could be shown.
int presentMessage(HWND owner, const Text& text, const Text* caption);

// No runtime fits: asks the user for one. `prompt` is message 206 or 207 with the requirement.
// IDOK when `choice` holds the runtime picked; any other value ends the launch with -1.
INT_PTR askForRuntimeFolder(const Text& prompt, JvmType type, RuntimeChoice& choice);

// The text of an exception that escaped main ("Failure Check"). True when the program is to end
// now, false when it goes on.
bool presentException(const Text& text);

// The question before a runtime download (message 237); `caption` names the product. True when the
// user agrees; false where nobody can answer.
bool agreesToDownload(const Text& question, const Text& caption);

// Returns once `download` (started) has finished, showing `title` and the bytes received of `total`;
// the user may cancel it.
void followDownload(HttpDownload& download, const Text& title, std::uint64_t total);

// A frontend chosen at run time rather than at link time: a service has no desktop to show anything
// on, whichever of the two executables runs it.
class FrontendOverride {
public:
    virtual ~FrontendOverride() = default;
    virtual int presentMessage(const Text& text, const Text* caption) = 0;
    virtual INT_PTR askForRuntimeFolder(const Text& prompt) = 0;
    virtual bool presentException(const Text& text) = 0;
};

// From now on, on every thread, the three calls above go to `frontend`; null gives them back to the
// executable's own. `frontend` must outlive its installation.
void overrideFrontend(FrontendOverride* frontend);

// Gives the calls back to the executable's own when `frontend` is still the one installed (a
// service may have installed its own over it meanwhile).
void restoreFrontend(FrontendOverride* frontend);

// The executable's own implementation, linked in (windowed_frontend.cpp or console_frontend.cpp).
namespace own_frontend {
int presentMessage(HWND owner, const Text& text, const Text* caption);
INT_PTR askForRuntimeFolder(const Text& prompt, JvmType type, RuntimeChoice& choice);
bool presentException(const Text& text);
bool agreesToDownload(const Text& question, const Text& caption);
void followDownload(HttpDownload& download, const Text& title, std::uint64_t total);
}  // namespace own_frontend

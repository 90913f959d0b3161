#include "texts/language_texts.h"

// English, the neutral language: what the launcher shows when the user's language has no text.
extern const LanguageTexts kEnglishTexts = {
    "en", "English", 0,
    {
    {202, L"%s\n\nWindows error code: %d."},
    {203, L"%s\n\n%s"},
    {206,
     L"This application needs a Java runtime with the server virtual machine, %s, and none was found on this "
     L"computer.\n\nChoose the folder of such a runtime (the folder that holds \"bin\\server\\jvm.dll\"), "
     L"or install one and start the application again."},
    {207,
     L"This application needs a Java runtime, %s, and none was found on this computer.\n\nChoose the folder of "
     L"an installed runtime (the folder that holds \"bin\"), or install one and start the application again."},
    {208, L"The application could not determine the path of its own program file."},
    {209,
     L"The application's class path is empty: none of the files named by the \"Class Path\" setting exists.\n\n"
     L"Reinstall the application, or correct the \"Class Path\" setting."},
    {210,
     L"The setting \"Main Class\" in the section [Java Runtime Environment] is missing, so the application "
     L"cannot start.\n\nAdd it to the settings and package the application again."},
    {211,
     L"The main class \"%s\" could not be found.\n\nCheck the \"Main Class\" and \"Class Path\" settings, or "
     L"reinstall the application."},
    {212,
     L"The Java runtime's jvm.dll lacks a function the application needs; the runtime may be damaged or too "
     L"old. Choose another runtime or reinstall this one."},
    {213, L"The Java virtual machine could not be created."},
    {214, L"Choose the folder of a Java runtime"},
    {215,
     L"The main class \"%s\" could not be loaded.\n\nCheck the \"Main Class\" and \"Class Path\" settings, or "
     L"reinstall the application."},
    {216,
     L"The application's main class has no method \"public static void main(String[])\".\n\nCheck the \"Main "
     L"Class\" setting."},
    {217, L"of any version"},
    {218, L"of version %s or older"},
    {219, L"of version %s or newer"},
    {220, L"of version %s"},
    {221, L"of a version from %s to %s"},
    {222,
     L"The Java virtual machine library \"%s\" could not be loaded (Windows error code %d).\n\nA 64-bit "
     L"application needs a 64-bit runtime and a 32-bit application a 32-bit one; choose a matching runtime or "
     L"reinstall it."},
    {225, L"The runtime reported an unknown error (-1)."},
    {226, L"The runtime reported that the thread is detached (-2)."},
    {227, L"The runtime does not support the requested JNI version (-3); it may be too old."},
    {228,
     L"There is not enough memory for the Java virtual machine (-4). Close other programs, or lower the "
     L"memory settings in \"Virtual Machine Parameters\"."},
    {229, L"A Java virtual machine already exists in this process (-5)."},
    {230,
     L"The runtime rejected an option (-6). Check the \"Virtual Machine Parameters\" setting."},
    {232,
     L"The Java runtime \"%s\" has the other processor width, and so has the paired launcher that would "
     L"run it, so the application cannot start.\n\nChoose a runtime of this application's width, or "
     L"reinstall the application."},
    {233,
     L"The application's other launcher \"%s\" could not be started (Windows error code %d).\n\n"
     L"Reinstall the application."},
    {234,
     L"The application is already running, but this start could not hand its command line over to it.\n\n"
     L"Wait until it has started, or close it, and try again."},
    {235,
     L"To use a runtime that is installed, set \"JRE Path\" in [Java Runtime Environment] of \"%s\" to "
     L"its folder."},
    {236,
     L"The library \"%s\", which the Java virtual machine library \"%s\" needs, was not found on this "
     L"computer.\n\nA name that begins with \"vcruntime\" or \"msvcp\" belongs to the Microsoft Visual C++ "
     L"Redistributable: install it for this application's width (x64 or x86). For any other name, reinstall "
     L"the Java runtime."},
    {237, L"%s needs Java %s: download it now (%s MB)?"},
    {238, L"Downloading Java for %s"},
    {239, L"%s MB of %s MB received, %s MB/s"},
    {240, L"Cancel"},
    {241, L"Java could not be downloaded from \"%s\": %s"},
    {242, L"the server could not be reached (Windows error code %d). Check the network connection and the proxy settings."},
    {243, L"the server answered with HTTP status %d."},
    {244, L"%s bytes arrived, but the application names %s bytes."},
    {245, L"the file that arrived is not the one the application names (its SHA-256 checksum differs)."},
    {246, L"\"%s\" could not be written (Windows error code %d)."},
    {247, L"the file is not a zip archive that can be unpacked."},
    {248, L"the archive holds the path \"%s\", which would lie outside its folder."},
    {249, L"the archive holds no Java runtime of this application's width and version."},
    {250, L"A service does not download Java. Install the runtime that [Runtime Download] names, or set \"JRE Path\"."},
    {251, L"Type y and press Enter to download it: "},
    {252, L"The application asked to be started again %d times within %d seconds and is not started again this "
          L"time.\n\nStart it yourself; if this happens again, reinstall the application."},
    {253, L"An update of the application could not start and was undone: the previous version runs "
          L"again.\n\nWhat happened during the failed start is recorded in \"%s\"."},
    },
    {L"Java Runtime Needed", L"&Java runtime folder:", L"&Browse...", L"No Java runtime installed? Download one from:",
     L"OK", L"Cancel", L"Unexpected Error",
     L"The application ran into an error it did not handle. It may not work correctly from now on.", L"Details",
     L"Choose Continue to keep the application running, or End Program to close it. Unsaved work may be lost "
     L"either way.",
     L"To report the problem, select the details and copy them with Ctrl+C.", L"&Continue", L"&End Program"},
};

// The runtime the application names, fetched when no runtime on the machine fits: the question,
// the download with its progress, the checks, the unpacking, and the placing of the runtime under
// %LOCALAPPDATA%\<Product Name>\runtimes\<first hex of its SHA-256>\. Nothing half-made is kept: the
// download lives in a file that the system deletes when it is closed, however the process ends, and
// a runtime is renamed into place only once it is whole and checked.
//
//   RuntimeChoice choice;
//   if (provideDownloadedRuntime(request, choice)) use(choice.jvmLibraryPath);   // else: the dialog
#pragma once

#include "download/download_settings.h"
#include "runtime/java_version.h"
#include "runtime/jvm_type.h"
#include "runtime/runtime_selection_prompt.h"

// What the launch knows; it outlives the request.
struct DownloadRequest {
    const RuntimeDownload& download;
    const Text& productName;  // the folder under %LOCALAPPDATA% and the texts' product; empty: the program's name
    JvmType jvmType;
    const JavaVersion& minimumVersion;
    const JavaVersion& maximumVersion;
};

// True with the runtime's home and jvm.dll. A runtime downloaded before (and still whole) is taken
// without a question. A refusal or a cancel shows nothing; every failure shows one message naming
// what failed.
bool provideDownloadedRuntime(const DownloadRequest& request, RuntimeChoice& choice);

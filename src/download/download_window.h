// The windowed launcher's progress window for a runtime download: the system's task dialog with a
// progress bar, the megabytes received of the whole with the rate, and Cancel (Escape and the close
// box do the same). It closes by itself once the download has finished.
//
//   followDownloadInWindow(download, title, expectedSize);   // returns once download.finished() is set
#pragma once

#include <cstdint>

#include "support/text.h"

class HttpDownload;

// Without the task dialog (no desktop, no common controls 6) the download still runs to its end.
void followDownloadInWindow(HttpDownload& download, const Text& title, std::uint64_t total);

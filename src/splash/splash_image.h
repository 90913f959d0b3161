// The splash picture, decoded by GDI+ and copied 1:1 into a bitmap the window paints from.
//
//   SplashImage image(L"splash.png");          // width() and height() are 0 when it cannot be decoded
//   UniqueBitmap bitmap = image.render();
#pragma once

#include <windows.h>

#include "support/text.h"
#include "support/unique_handle.h"

// GDI+ from the system folder, started once per process on first use (whichever thread comes
// first does it, the others wait) and shut down at process exit. False when it cannot run.
bool ensureGdiplus();

class SplashImage {
public:
    explicit SplashImage(const Text& picturePath);
    ~SplashImage();
    SplashImage(const SplashImage&) = delete;
    SplashImage& operator=(const SplashImage&) = delete;

    unsigned width() const { return width_; }
    unsigned height() const { return height_; }

    // A new bitmap compatible with the screen, width() x height(), holding the whole picture pixel
    // for pixel; empty for a picture that did not decode or when drawing fails.
    UniqueBitmap render() const;

private:
    void* image_ = nullptr;  // the decoded GDI+ image, disposed with the object
    unsigned width_ = 0;
    unsigned height_ = 0;
};

// The splash picture, decoded by GDI+ (which runs as long as the picture) and copied 1:1 into a bitmap the window paints from.
//
//   SplashImage image(L"splash.png");          // width() and height() are 0 when it cannot be decoded
//   UniqueBitmap bitmap = image.render();
#pragma once

#include <windows.h>

#include "support/text.h"
#include "support/unique_handle.h"

#include <memory>

// GDI+ from the system folder, running for its owner's lifetime.
class GdiplusSession;

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
    // GDI+ runs while there is a picture to decode and draw; declared first, so that it outlives
    // the image.
    std::unique_ptr<const GdiplusSession> gdiplus_;
    UniqueGdiplusImage image_;
    unsigned width_ = 0;
    unsigned height_ = 0;
};

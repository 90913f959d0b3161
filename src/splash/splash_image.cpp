#include "splash/splash_image.h"

#include "support/growing_buffer.h"
#include "support/procedure.h"

namespace {

// GDI+ through its flat C interface, resolved from the library at run time: the launcher has no
// link-time dependency on it, and the library can only come from the system folder.
struct GpGraphics;
struct GpImageAttributes;
using GpStatus = int;
constexpr GpStatus kOk = 0;
constexpr int kInterpolationHighQualityBicubic = 7;
constexpr int kWrapModeTileFlipXY = 3;
constexpr int kUnitPixel = 2;
constexpr UINT32 kOpaqueBlack = 0xFF000000;

struct StartupInput {
    UINT32 version;
    void* debugCallback;
    BOOL suppressBackgroundThread;
    BOOL suppressExternalCodecs;
};

using StartupFunction = GpStatus(WINAPI*)(ULONG_PTR*, const StartupInput*, void*);
using ShutdownFunction = void(WINAPI*)(ULONG_PTR);
using CreateBitmapFromFileFunction = GpStatus(WINAPI*)(const WCHAR*, GpImage**);
using ImageSizeFunction = GpStatus(WINAPI*)(GpImage*, UINT*);
using DisposeImageFunction = GpStatus(WINAPI*)(GpImage*);
using CreateFromHdcFunction = GpStatus(WINAPI*)(HDC, GpGraphics**);
using DeleteGraphicsFunction = GpStatus(WINAPI*)(GpGraphics*);
using SetInterpolationModeFunction = GpStatus(WINAPI*)(GpGraphics*, int);
using CreateImageAttributesFunction = GpStatus(WINAPI*)(GpImageAttributes**);
using SetWrapModeFunction = GpStatus(WINAPI*)(GpImageAttributes*, int, UINT32, BOOL);
using DisposeImageAttributesFunction = GpStatus(WINAPI*)(GpImageAttributes*);
using DrawImageRectRectFunction = GpStatus(WINAPI*)(GpGraphics*, GpImage*, INT, INT, INT, INT, INT, INT, INT, INT,
                                                    int, const GpImageAttributes*, void*, void*);

Text systemLibraryPath(const wchar_t* name) {
    Text folder;
    const bool found = readGrowing(folder, [](wchar_t* buffer, std::size_t capacity) {
        const UINT length = GetSystemDirectoryW(buffer, static_cast<UINT>(capacity));
        return length == 0 ? kReadFailed : static_cast<std::size_t>(length);
    });
    if (!found || folder.empty()) return Text();
    return ensureTrailingBackslash(folder) + name;
}

}  // namespace

class GdiplusSession {
public:
    GdiplusSession() {
        // By full path from the system folder: a bare name would run a gdiplus.dll planted beside
        // the executable or in the current folder.
        const Text path = systemLibraryPath(L"gdiplus.dll");
        if (path.empty()) return;
        module_.reset(LoadLibraryExW(path.c_str(), nullptr, 0));
        if (!module_) return;
        const HMODULE m = module_.get();
        if (!findProcedure(m, "GdiplusStartup", startup_) || !findProcedure(m, "GdiplusShutdown", shutdown_) ||
            !findProcedure(m, "GdipCreateBitmapFromFile", createBitmapFromFile) ||
            !findProcedure(m, "GdipGetImageWidth", imageWidth) || !findProcedure(m, "GdipGetImageHeight", imageHeight) ||
            !findProcedure(m, "GdipDisposeImage", disposeImage) || !findProcedure(m, "GdipCreateFromHDC", createFromHdc) ||
            !findProcedure(m, "GdipDeleteGraphics", deleteGraphics) ||
            !findProcedure(m, "GdipSetInterpolationMode", setInterpolationMode) ||
            !findProcedure(m, "GdipCreateImageAttributes", createImageAttributes) ||
            !findProcedure(m, "GdipSetImageAttributesWrapMode", setWrapMode) ||
            !findProcedure(m, "GdipDisposeImageAttributes", disposeImageAttributes) ||
            !findProcedure(m, "GdipDrawImageRectRectI", drawImageRectRect)) {
            return;
        }
        const StartupInput input{1, nullptr, FALSE, FALSE};
        running_ = startup_(&token_, &input, nullptr) == kOk;
    }
    ~GdiplusSession() {
        if (running_) shutdown_(token_);
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

    bool running() const { return running_; }

    CreateBitmapFromFileFunction createBitmapFromFile = nullptr;
    ImageSizeFunction imageWidth = nullptr;
    ImageSizeFunction imageHeight = nullptr;
    DisposeImageFunction disposeImage = nullptr;
    CreateFromHdcFunction createFromHdc = nullptr;
    DeleteGraphicsFunction deleteGraphics = nullptr;
    SetInterpolationModeFunction setInterpolationMode = nullptr;
    CreateImageAttributesFunction createImageAttributes = nullptr;
    SetWrapModeFunction setWrapMode = nullptr;
    DisposeImageAttributesFunction disposeImageAttributes = nullptr;
    DrawImageRectRectFunction drawImageRectRect = nullptr;

private:
    UniqueModule module_;  // declared first: freed after the shutdown
    StartupFunction startup_ = nullptr;
    ShutdownFunction shutdown_ = nullptr;
    ULONG_PTR token_ = 0;
    bool running_ = false;
};

namespace {

using UniqueGraphics = UniqueResource<GdiplusObjectTraits<GpGraphics>>;
using UniqueImageAttributes = UniqueResource<GdiplusObjectTraits<GpImageAttributes>>;

}  // namespace

SplashImage::SplashImage(const Text& picturePath) : gdiplus_(std::make_unique<const GdiplusSession>()) {
    const GdiplusSession& gdiplus = *gdiplus_;
    if (!gdiplus.running()) return;
    GpImage* decoded = nullptr;
    const bool made = gdiplus.createBitmapFromFile(picturePath.c_str(), &decoded) == kOk;
    UniqueGdiplusImage image({decoded, gdiplus.disposeImage});
    if (!made || !image) return;
    UINT width = 0;
    UINT height = 0;
    if (gdiplus.imageWidth(decoded, &width) != kOk || gdiplus.imageHeight(decoded, &height) != kOk || width == 0 ||
        height == 0) {
        return;
    }
    image_ = std::move(image);
    width_ = width;
    height_ = height;
}

SplashImage::~SplashImage() = default;

UniqueBitmap SplashImage::render() const {
    if (!image_) return UniqueBitmap();
    const int width = static_cast<int>(width_);
    const int height = static_cast<int>(height_);
    const UniqueWindowDc screen = windowDc(nullptr);
    if (!screen) return UniqueBitmap();
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get().dc, width, height));
    UniqueDc memory(CreateCompatibleDC(screen.get().dc));
    if (!bitmap || !memory) return UniqueBitmap();

    const GdiplusSession& gdiplus = *gdiplus_;
    bool drawn = false;
    {
        const UniqueSelection selected = selectInto(memory.get(), bitmap.get());
        GpGraphics* rawGraphics = nullptr;
        gdiplus.createFromHdc(memory.get(), &rawGraphics);
        const UniqueGraphics graphics({rawGraphics, gdiplus.deleteGraphics});
        GpImageAttributes* rawAttributes = nullptr;
        gdiplus.createImageAttributes(&rawAttributes);
        const UniqueImageAttributes attributes({rawAttributes, gdiplus.disposeImageAttributes});
        if (graphics && attributes) {
            gdiplus.setInterpolationMode(graphics.get().object, kInterpolationHighQualityBicubic);
            gdiplus.setWrapMode(attributes.get().object, kWrapModeTileFlipXY, kOpaqueBlack, FALSE);
            // The same rectangle on both sides: the picture is copied, never scaled.
            drawn = gdiplus.drawImageRectRect(graphics.get().object, image_.get().object, 0, 0, width, height, 0, 0,
                                              width, height, kUnitPixel, attributes.get().object, nullptr,
                                              nullptr) == kOk;
        }
    }
    if (!drawn) return UniqueBitmap();
    return bitmap;
}

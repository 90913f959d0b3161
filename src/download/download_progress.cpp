#include "download/download_progress.h"

namespace {

constexpr std::uint64_t kMegabyte = 1024 * 1024;

}  // namespace

Text megabytesText(std::uint64_t bytes) {
    const std::uint64_t tenths = bytes * 10 / kMegabyte;
    return decimalText(tenths / 10) + L"." + decimalText(tenths % 10);
}

Text wholeMegabytesText(std::uint64_t bytes) { return decimalText((bytes + kMegabyte - 1) / kMegabyte); }

void TransferRate::sample(std::uint64_t bytes, std::uint32_t milliseconds) {
    if (count_ > 0 && milliseconds - points_[count_ - 1].milliseconds < kSpacing) {
        // Too close to the last kept point: it moves forward instead, so the window still spans time.
        if (count_ > 1) points_[count_ - 1] = {bytes, milliseconds};
        else points_[count_++] = {bytes, milliseconds};
        return;
    }
    if (count_ == kPoints) {
        for (int i = 1; i < kPoints; ++i) points_[i - 1] = points_[i];
        --count_;
    }
    points_[count_++] = {bytes, milliseconds};
}

std::uint64_t TransferRate::bytesPerSecond() const {
    if (count_ < 2) return 0;
    const Point& first = points_[0];
    const Point& last = points_[count_ - 1];
    const std::uint32_t elapsed = last.milliseconds - first.milliseconds;
    if (elapsed == 0 || last.bytes < first.bytes) return 0;
    return (last.bytes - first.bytes) * 1000 / elapsed;
}

DownloadVerdict verdictOf(std::uint64_t received, std::uint64_t expected, const Sha256::Digest& digest,
                          const Sha256::Digest& expectedDigest) {
    if (received < expected) return DownloadVerdict::Short;
    if (received > expected) return DownloadVerdict::Long;
    return digest == expectedDigest ? DownloadVerdict::Complete : DownloadVerdict::WrongHash;
}

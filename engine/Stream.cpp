#include "engine/Stream.h"

#include "engine/FileWrappers.h"

namespace {

constexpr int32_t kCopyPiece = 2048;

// Any count below a full piece ends the copy, a failed (negative) one
// included, so a stream that keeps failing cannot hold the loop.
Status Copy(Stream& from, Stream& to) {
    uint8_t piece[kCopyPiece];
    for (;;) {
        const int32_t got = from.Read(piece, kCopyPiece);
        if (got < 0) {
            // A failure that left no code behind must still not read as success.
            return from.LastError() != kStatusOk ? from.LastError() : kStatusPlatformFailed;
        }
        if (got > 0) {
            const int32_t written = to.Write(piece, got);
            if (written != got) {
                // A stream that failed outright has its code; a count that came
                // back merely short may leave an older code behind.
                const Status error = to.LastError();
                return (written > 0 || error == kStatusOk) ? kStatusShortWrite : error;
            }
        }
        if (got < kCopyPiece) {
            return kStatusOk;
        }
    }
}

}  // namespace

Status Stream::CopyTo(Stream& destination) { return Copy(*this, destination); }

Status Stream::CopyFrom(Stream& source) { return Copy(source, *this); }

Status Stream::ProcessLastError() { return FileLastError(); }

#include "engine/Stream.h"

#include "engine/FileWrappers.h"

namespace {

constexpr int32_t kCopyPiece = 2048;

}  // namespace

// Any count below a full piece ends the copy, a failed one included, so a
// stream that keeps failing cannot hold the loop.
Status Stream::Copy(Stream& from, Stream& to) {
    uint8_t piece[kCopyPiece];
    for (;;) {
        // The streams report a failed read as a count of 0 and their code, so
        // the code must be this read's, not one left from before.
        from.lastError_ = kStatusOk;
        const int32_t got = from.Read(piece, kCopyPiece);
        const Status readError = from.LastError();
        if (got < 0) {
            // A failure that left no code behind must still not read as success.
            return readError != kStatusOk ? readError : kStatusPlatformFailed;
        }
        if (got == 0 && readError != kStatusOk && readError != kStatusEndOfData) {
            return readError;
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

Status Stream::CopyTo(Stream& destination) { return Copy(*this, destination); }

Status Stream::CopyFrom(Stream& source) { return Copy(source, *this); }

Status Stream::ProcessLastError() { return FileLastError(); }

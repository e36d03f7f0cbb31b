#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

// The real files (SystemFileSystem() unless another is given) with failures
// injected on demand, for testing how streams and loaders cope with a disk
// that refuses or falls short. Install it for the test's scope:
//
//     FaultyFileSystem files;
//     ScopedInstall<platform::FileSystem> installed(files);
//     files.FailNext(FaultyFileSystem::kRead, 1, platform::kFileDiskFull);
//     files.ShortWrites(3);   // every write moves at most 3 bytes
//
// An injected failure does not reach the real files (a failed write writes
// nothing, a failed rename moves nothing; a failed close still closes, so no descriptor is leaked) and
// records its error in the process-wide last-error word, as a real failure
// does.
class FaultyFileSystem final : public platform::FileSystem {
public:
    enum Operation { kOpen, kRead, kWrite, kSeek, kFlush, kClose, kSize, kTruncate, kDelete, kRename, kSyncFolder, kOperationCount };

    FaultyFileSystem();
    explicit FaultyFileSystem(platform::FileSystem& real);

    // The next `count` calls of `operation` fail with `error`, after
    // `after` more calls of it have gone through (for a fault in the middle
    // of a run of writes).
    void FailNext(Operation operation, uint32_t count, uint32_t error = platform::kFileGeneralFailure,
                  uint32_t after = 0);
    // From now on every write moves at most `maxBytes` bytes (0: no limit)
    // and returns the short count, as a full disk does.
    void ShortWrites(uint32_t maxBytes) { shortWrites_ = maxBytes; }
    // Every read returns at most `maxBytes` bytes (0: no limit).
    void ShortReads(uint32_t maxBytes) { shortReads_ = maxBytes; }
    // Back to the real files' behaviour; the counts below are kept.
    void Heal();

    // Calls of `operation` so far, failed ones included.
    uint32_t Calls(Operation operation) const { return calls_[operation]; }
    // Every call so far, in order.
    const std::vector<Operation>& Log() const { return log_; }
    // The byte counts asked of Read and Write, in call order.
    const std::vector<uint32_t>& ReadRequests() const { return readRequests_; }
    const std::vector<uint32_t>& WriteRequests() const { return writeRequests_; }

    platform::FileHandle Open(const char* path, uint32_t access, uint32_t share, platform::FileCreation creation,
                              uint32_t attributes) override;
    int64_t Read(platform::FileHandle file, void* buffer, uint32_t bytes) override;
    int64_t Write(platform::FileHandle file, const void* buffer, uint32_t bytes) override;
    int64_t Seek(platform::FileHandle file, int64_t distance, platform::SeekOrigin origin) override;
    int64_t Size(platform::FileHandle file) override;
    bool Truncate(platform::FileHandle file) override;
    bool Flush(platform::FileHandle file) override;
    bool Close(platform::FileHandle file) override;
    bool LockRange(platform::FileHandle file, uint64_t offset, uint64_t length) override;
    bool UnlockRange(platform::FileHandle file, uint64_t offset, uint64_t length) override;
    bool ModifiedDosDateTime(platform::FileHandle file, uint16_t* date, uint16_t* time) override;
    bool Delete(const char* path) override;
    bool Rename(const char* from, const char* to) override;
    bool SyncFolder(const char* path) override;
    int64_t Attributes(const char* path) override;
    bool SetAttributes(const char* path, uint32_t attributes) override;
    std::string TemporaryFolder() override;
    std::string CreateUniqueFile(const std::string& folder, const char* prefix) override;
    std::string Resolve(const char* path) override;

private:
    struct Fault {
        uint32_t remaining = 0;
        uint32_t passing = 0;   // calls let through before the first failure
        uint32_t error = platform::kFileGeneralFailure;
    };

    // Counts the call; true (and the error recorded) when it is to fail.
    bool Injected(Operation operation);

    platform::FileSystem& real_;
    std::array<Fault, kOperationCount> faults_{};
    std::array<uint32_t, kOperationCount> calls_{};
    uint32_t shortWrites_ = 0;
    uint32_t shortReads_ = 0;
    std::vector<uint32_t> readRequests_;
    std::vector<uint32_t> writeRequests_;
    std::vector<Operation> log_;
};

// For a writer that replaces `path` by writing a copy beside it and renaming
// the copy over it: runs `write` (true when it reports success) with a
// FaultyFileSystem installed, failing in turn the open, each write, the
// flush, the close and the rename, and with a full disk. The copy must go
// out in a few writes and be flushed to the disk before the rename, and the
// folder after it. After each failure `path` must hold what it held before
// (the new file once the rename is done), the copy must be gone, and
// `write` must have reported the failure; a last run without faults must
// change the file.
// Reports through gtest expectations, naming the failing call.
void ExpectFailedReplaceKeepsTheOldFile(const std::string& path, const std::function<bool()>& write);

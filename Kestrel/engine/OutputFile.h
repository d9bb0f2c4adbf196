#pragma once
// A file written in full or not at all: the bytes go to a hidden temporary file in the
// target's folder (".NAME.incomplete-XXXXXX"), and only a complete, successfully closed file
// takes the target's name. Every write is checked; an abandoned or failed file is removed.
// A writer that was killed leaves its temporary file behind; the next one into the same
// folder removes it.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kestrel {

class OutputFile {
  public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // The temporary name of a file being written as `target`, without its random end.
    static std::string TemporaryPrefix(const std::filesystem::path& target);
    // True for a name that one of these files uses while it is written.
    static bool IsTemporaryName(const std::string& name);

    // With it, Commit puts the file and its folder entry on the storage before it reports
    // success, so that a card pulled out right afterwards keeps the file.
    void SetDurable(bool durable) { durable_ = durable; }

    // Starts writing `target`. Without `overwrite` an existing target makes this (and later
    // Commit) fail; with it, the target is replaced only by Commit.
    bool Create(const std::filesystem::path& target, bool overwrite);
    bool Write(const void* data, size_t length);
    bool Write(const std::string& text) { return Write(text.data(), text.size()); }

    // Appends `length` bytes of the file `sourceFd` at `offset`, copied by the kernel without
    // passing through this process. Unsupported (nothing written) when the file systems
    // cannot do that: the caller then copies through memory.
    enum class CopyResult { Done, Unsupported, Failed };
    CopyResult CopyFrom(int sourceFd, uint64_t offset, uint64_t length);
    // Flushes, closes and gives the file its name. False (and the file removed) on any
    // failure, including one of an earlier write.
    bool Commit();
    // Removes the temporary file; the target is left as it was.
    void Abandon();

    uint64_t BytesWritten() const { return written_; }
    bool Failed() const { return !error_.empty(); }
    const std::string& Error() const { return error_; }
    const std::filesystem::path& Target() const { return target_; }

  private:
    bool Flush();
    bool WriteAll(const uint8_t* data, size_t length);
    bool Fail(const std::string& what, int err);
    // Removes the temporary files of writers that are gone from `folder`.
    static void RemoveStaleTemporaries(const std::filesystem::path& folder);

    int fd_ = -1;
    bool overwrite_ = false;
    bool durable_ = false;
    std::filesystem::path target_;
    std::filesystem::path temporary_;
    std::vector<uint8_t> buffer_;
    uint64_t written_ = 0;
    std::string error_;
};

} // namespace kestrel

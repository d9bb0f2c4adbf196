#pragma once
// FetchVersion: one version file read over HTTP(S), its first block only. Runs on the thread
// that calls it (the update check's own thread) and blocks it, never longer than the bounded
// attempts and their time limit allow.
#include <QByteArray>
#include <QString>

#include <atomic>
#include <optional>

namespace kestrel {

class VersionFetcher {
  public:
    // A read that fails after the server was reached is tried this many times in all.
    static constexpr int kReadAttempts = 3;
    // No transfer may stall for longer than this.
    static constexpr int kTransferTimeoutMs = 8000;

    // `stop`, when given, ends a fetch early (as a failure) once it becomes true.
    explicit VersionFetcher(const std::atomic<bool>* stop = nullptr) : stop_(stop) {}

    // The version in the file at `url` (see VersionCheck::VersionInBlock); none when the site
    // cannot be reached, answers with an error, the reads keep failing or the file has no
    // "VER:" marker in its first block.
    std::optional<QString> FetchVersion(const QString& url) const;

  private:
    enum class Outcome { Read, OpenFailed, ReadFailed };
    // Reads the first block (at most 1024 bytes) of `url` into `block`.
    Outcome ReadBlock(const QString& url, QByteArray& block) const;
    bool Stopped() const { return stop_ && stop_->load(); }

    const std::atomic<bool>* stop_;
};

} // namespace kestrel

#pragma once
// The join job: consecutive recordings become one movie file, written in full or not at all.
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kestrel {

// Progress as the job reports it: done out of total.
using JoinProgress = std::function<void(int64_t done, int64_t total)>;

struct JoinRequest {
    std::vector<std::filesystem::path> Inputs; // in the order they are joined
    std::filesystem::path Output;
    bool Overwrite = false;                    // replace an existing output
    // The joined file and its folder are on the storage before success is reported; off
    // only to measure what that costs.
    bool Flush = true;
    const std::atomic<int>* Running = nullptr; // cleared from outside: the job stops
};

struct JoinResult {
    bool Ok = false;
    // The first recording could be loaded: a later failure is reported as a failed join, not
    // as a refused one.
    bool Started = false;
    bool Stopped = false; // the job was told to stop before it was written
    std::string Error;
};

// Free space available to the user in `folder`; 0 when it cannot be read.
uint64_t FreeSpaceAt(const std::filesystem::path& folder);

// Joins the inputs into the output. Inputs are only read. Refused when there are fewer than
// two inputs, when the output is one of them, when it exists (without Overwrite) or when the
// free space at its folder is not larger than the inputs' total size.
JoinResult JoinRecordings(const JoinRequest& request, const JoinProgress& progress = {});

} // namespace kestrel

#include "engine/RecordingJoiner.h"

#include "engine/BoxTree.h"
#include "engine/BoxTreeMerger.h"
#include "engine/BoxTreeWriter.h"
#include "engine/OutputFile.h"
#include "engine/RecordingCatalogue.h"

#include <memory>
#include <sys/statvfs.h>

namespace kestrel {
namespace {

namespace fs = std::filesystem;

JoinResult Refuse(std::string error) {
    JoinResult result;
    result.Error = std::move(error);
    return result;
}

bool IsStopped(const JoinRequest& request) {
    return request.Running && request.Running->load() == 0;
}

fs::path FolderOf(const fs::path& output) {
    return output.has_parent_path() ? output.parent_path() : fs::path(".");
}

// The refusals that come before anything is read.
std::string CheckRequest(const JoinRequest& request) {
    if (request.Inputs.size() < 2)
        return "a join needs at least two recordings";
    std::error_code ec;
    const bool outputExists = fs::exists(request.Output, ec);
    uint64_t total = 0;
    for (const fs::path& input : request.Inputs) {
        // Only a regular file is read: a named pipe, a socket or a device under a
        // recording's name is refused before anything opens it.
        uint64_t size = 0;
        if (std::string problem = RegularFileProblem(input, &size); !problem.empty())
            return problem;
        total += size;
        if (outputExists && fs::equivalent(input, request.Output, ec)) {
            return "the output " + request.Output.string() + " is one of the recordings";
        }
    }
    if (outputExists && !request.Overwrite) {
        return "the output " + request.Output.string() + " exists";
    }
    if (total >= FreeSpaceAt(FolderOf(request.Output))) {
        return "not enough free space for " + request.Output.string();
    }
    return {};
}

} // namespace

uint64_t FreeSpaceAt(const fs::path& folder) {
    struct statvfs info {};
    if (::statvfs(folder.c_str(), &info) != 0)
        return 0;
    return uint64_t{info.f_bavail} * info.f_frsize;
}

JoinResult JoinRecordings(const JoinRequest& request, const JoinProgress& progress) {
    if (std::string refusal = CheckRequest(request); !refusal.empty())
        return Refuse(refusal);
    const auto count = static_cast<int64_t>(request.Inputs.size());
    std::vector<std::unique_ptr<BoxTree>> trees;
    std::string error;
    trees.push_back(LoadBoxTree(request.Inputs[0], true, &error));
    if (!trees.back())
        return Refuse(error);

    JoinResult result;
    result.Started = true;
    for (int64_t i = 1; i < count; ++i) {
        if (IsStopped(request)) {
            result.Stopped = true;
            result.Error = "the join was stopped";
            return result;
        }
        // Every tree stays loaded until the output is written: their files provide the media.
        trees.push_back(LoadBoxTree(request.Inputs[static_cast<size_t>(i)], true, &error));
        if (!trees.back() || !MergeBoxTrees(*trees.front(), *trees.back(), &error)) {
            // The message names the file at fault itself.
            result.Error = error;
            return result;
        }
        if (progress)
            progress(static_cast<int64_t>(0.99 * static_cast<double>(100 + 100 * i)), 100 * count);
    }

    OutputFile out;
    out.SetDurable(request.Flush);
    if (!out.Create(request.Output, request.Overwrite) ||
        !WriteBoxTree(*trees.front(), out, &error) || !out.Commit()) {
        result.Error = out.Failed() ? out.Error() : error;
        out.Abandon();
        return result;
    }
    if (progress)
        progress(count, count);
    result.Ok = true;
    return result;
}

} // namespace kestrel

#include "engine/BoxTreeWriter.h"

#include "platform/MappedView.h"

#include <algorithm>
#include <limits>

namespace kestrel {
namespace {

constexpr uint64_t kPieceSize = 32ull << 20;

class TreeWriter {
  public:
    explicit TreeWriter(OutputFile& out) : out_(out) {}

    bool WriteChildren(const BoxNode& node) {
        for (const BoxNode& child : node.Children) {
            if (!WriteNode(child))
                return false;
        }
        return true;
    }
    const std::string& Failure() const { return failure_; }

  private:
    bool Fail(std::string text) {
        if (failure_.empty())
            failure_ = out_.Failed() ? out_.Error() : std::move(text);
        return false;
    }
    bool Put(const void* data, size_t length) {
        return out_.Write(data, length) || Fail("cannot write the output");
    }
    bool Put32(uint64_t value);
    bool Put16(uint64_t value);
    bool CopyRange(const platform::FileMapping& file, uint64_t offset, uint64_t length);
    bool WriteNode(const BoxNode& node);
    bool WriteMedia(const BoxNode& node);
    bool WriteRecords(const BoxNode& node);

    OutputFile& out_;
    bool kernelCopy_ = true;
    std::string failure_;
};

bool TreeWriter::Put32(uint64_t value) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                              static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    return Put(bytes, sizeof bytes);
}

bool TreeWriter::Put16(uint64_t value) {
    const uint8_t bytes[2] = {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    return Put(bytes, sizeof bytes);
}

bool TreeWriter::CopyRange(const platform::FileMapping& file, uint64_t offset, uint64_t length) {
    while (length > 0) {
        const uint64_t piece = std::min(length, kPieceSize);
        // The kernel copies the piece when it can; otherwise it goes through a mapped view.
        const OutputFile::CopyResult copied = kernelCopy_
                                                  ? out_.CopyFrom(file.Descriptor(), offset, piece)
                                                  : OutputFile::CopyResult::Unsupported;
        if (copied == OutputFile::CopyResult::Failed)
            return Fail("cannot write the output");
        if (copied == OutputFile::CopyResult::Unsupported) {
            kernelCopy_ = false;
            platform::MappedView view;
            std::string error;
            // A piece that cannot be mapped abandons the whole write: a movie with a hole in
            // its media would not play.
            if (!view.Map(file, offset, static_cast<size_t>(piece), &error)) {
                return Fail(file.Path().string() + " cannot be read: " + error);
            }
            if (!Put(view.Data(), view.Size()))
                return false;
            if (file.Shrunk())
                return Fail(file.Path().string() + " became shorter while it was being read");
        }
        offset += piece;
        length -= piece;
    }
    return true;
}

bool TreeWriter::WriteMedia(const BoxNode& node) {
    if (!CopyRange(*node.Source, node.PayloadOffset, node.PayloadSizeOriginal))
        return false;
    for (const BoxNode* next : node.Continuation) {
        if (!CopyRange(*next->Source, next->PayloadOffset + 8, next->PayloadSizeOriginal - 8)) {
            return false;
        }
    }
    return true;
}

bool TreeWriter::WriteRecords(const BoxNode& node) {
    const uint64_t count = node.Continuation.empty() ? node.RecordCount : node.MergedRecordCount;
    if (!Put("CSNDAT", 6) || !CopyRange(*node.Source, node.PayloadOffset + 6, kUdatHeaderSize) ||
        !Put16(count)) {
        return false;
    }
    std::vector<const BoxNode*> parts{&node};
    parts.insert(parts.end(), node.Continuation.begin(), node.Continuation.end());
    for (const BoxNode* part : parts) {
        if (part->PayloadSizeOriginal < kUdatRecordsOffset + part->RecordBytes) {
            return Fail(part->Source->Path().string() +
                        " is damaged: its recorder data is cut short");
        }
        if (!CopyRange(*part->Source, part->PayloadOffset + kUdatRecordsOffset,
                       part->RecordBytes)) {
            return false;
        }
    }
    return Put(node.Trailer.data(), node.Trailer.size());
}

bool TreeWriter::WriteNode(const BoxNode& node) {
    const uint64_t size = NodeSize(node);
    if (size > std::numeric_limits<uint32_t>::max()) {
        return Fail(std::string("the '") + node.Name + "' box would exceed 4 GiB");
    }
    const uint64_t start = out_.BytesWritten();
    if (!Put32(size) || !Put(node.Name, 4))
        return false;
    bool ok = true;
    if (node.Is("mdat") && node.Raw) {
        ok = WriteMedia(node);
    } else if (node.Is("udat") && node.Raw) {
        ok = WriteRecords(node);
    } else if (node.Raw) {
        if (!node.Payload)
            return Fail(std::string("the '") + node.Name + "' box was not loaded");
        ok = Put(node.Payload->data(), node.Payload->size());
    }
    ok = ok && WriteChildren(node);
    // Every box must hold exactly what its size field says, or the movie cannot be read.
    if (ok && out_.BytesWritten() - start != size) {
        return Fail(std::string("the '") + node.Name + "' box does not match its size");
    }
    return ok;
}

} // namespace

bool WriteBoxTree(const BoxTree& tree, OutputFile& out, std::string* error) {
    TreeWriter writer(out);
    bool ok = true;
    if (tree.Root.Raw) {
        ok = false;
        if (error)
            *error = tree.Path.string() + " is not laid out as the recorder writes its movies";
    } else if (!writer.WriteChildren(tree.Root)) {
        ok = false;
        if (error)
            *error = writer.Failure();
    }
    return ok;
}

} // namespace kestrel

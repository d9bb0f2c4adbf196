#pragma once
// The box types the engine knows. A box of a known type is walked into; a box of any other
// type is kept as opaque data. The set is a character tree built once and only read after.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kestrel {

class KnownBoxTypes {
  public:
    // The codes in their table order; the table holds "xml " twice, so 168 codes name 167
    // distinct types.
    static constexpr size_t kTableSize = 168;
    static const char* const kTable[kTableSize];

    // Builds the tree from kTable. A second call rebuilds it.
    void Build();
    // Drops the tree; every lookup then fails.
    void Free();
    bool IsBuilt() const { return !levels_.empty(); }

    // Exact, case-sensitive membership of a four-character code. Safe from several threads
    // once built.
    bool Contains(const char code[4]) const;
    bool Contains(std::string_view code) const;

    // The process-wide index, built on first use (thread-safe) and never freed before exit.
    static const KnownBoxTypes& Shared();

  private:
    // One node of the tree: the character it stands for and the nodes below it.
    struct Node {
        char Character = 0;
        std::vector<uint16_t> Below; // indices into nodes_
    };
    static constexpr size_t kMaxFanOut = 64; // first letters, and nodes below any node
    static constexpr int kLevels = 4;        // one per character; then a terminator level

    bool Insert(const char code[4]);
    int FindBelow(const std::vector<uint16_t>& below, char c) const;

    std::vector<uint16_t> levels_; // the first-letter nodes
    std::vector<Node> nodes_;
};

} // namespace kestrel

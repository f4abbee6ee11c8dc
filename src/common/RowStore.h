#pragma once
// The blocks of a table's rows, cut from large chunks: one allocation per
// chunk instead of one per row, and all of them freed at once when the rows
// go. A block given out stays until the store is cleared; a table that
// replaces rows says so (abandon) and packs them into a fresh store once
// most of its store is abandoned (see MemoryTable).
#include <cstddef>
#include <memory>
#include <vector>

namespace vantrel {

class RowStore {
public:
    char* allocate(std::size_t bytes);
    void clear();
    // A block given out is no longer used (its row was replaced).
    void abandon(std::size_t bytes) { abandoned_ += bytes; }
    // More than half of what was given out is abandoned: time to pack afresh.
    bool mostlyAbandoned() const { return 2 * abandoned_ > given_; }

private:
    static constexpr std::size_t kChunkBytes = 64 * 1024;
    // A block over this gets a chunk of its own, so that a chunk's unused
    // tail stays small.
    static constexpr std::size_t kOwnChunkBytes = kChunkBytes / 8;
    std::vector<std::unique_ptr<char[]>> chunks_;
    char* next_ = nullptr;
    std::size_t left_ = 0;
    std::size_t given_ = 0;
    std::size_t abandoned_ = 0;
};

}  // namespace vantrel

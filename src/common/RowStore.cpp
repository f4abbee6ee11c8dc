#include "common/RowStore.h"

namespace vantrel {

char* RowStore::allocate(std::size_t bytes) {
    given_ += bytes;
    if (bytes > kOwnChunkBytes) {
        chunks_.push_back(std::make_unique_for_overwrite<char[]>(bytes));
        return chunks_.back().get();
    }
    if (bytes > left_) {
        chunks_.push_back(std::make_unique_for_overwrite<char[]>(kChunkBytes));
        next_ = chunks_.back().get();
        left_ = kChunkBytes;
    }
    char* block = next_;
    next_ += bytes;
    left_ -= bytes;
    return block;
}

void RowStore::clear() {
    chunks_.clear();
    next_ = nullptr;
    left_ = 0;
    given_ = 0;
    abandoned_ = 0;
}

}  // namespace vantrel

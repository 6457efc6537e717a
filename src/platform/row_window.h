// The source rows a row-fed resample still needs, kept in a ring. Target row y reads source
// rows first[y] .. first[y] + count[y] - 1; source rows arrive once each, top first, and every
// target row is made as soon as the last row it reads has arrived.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace drape::platform {

template <typename Sample>
class RowWindow {
  public:
    // Sizes the ring for the given reads (which may throw std::bad_alloc). `first` never
    // decreases from one target row to the next.
    void reset(const std::vector<int32_t>& first, const std::vector<int32_t>& count,
               size_t rowSamples) {
        first_ = &first;
        count_ = &count;
        rowSamples_ = rowSamples;
        next_ = 0;
        // A target row is made once every earlier one is, so the ring must reach back from the
        // furthest row read so far to this row's first.
        int32_t furthest = -1;
        size_t slots = 1;
        for (size_t y = 0; y < first.size(); ++y) {
            furthest = std::max(furthest, first[y] + count[y] - 1);
            slots = std::max(slots, static_cast<size_t>(furthest - first[y] + 1));
        }
        slots_ = slots;
        ring_.assign(slots_ * rowSamples_, Sample{});
        rows_.assign(slots_, nullptr);
    }

    // Whether a target row still to be made reads source row `row`.
    bool wanted(int32_t row) const { return next_ < first_->size() && row >= (*first_)[next_]; }

    // Where source row `row` (or what is made of it) is kept.
    Sample* slot(int32_t row) { return &ring_[static_cast<size_t>(row) % slots_ * rowSamples_]; }

    // After source row `row` is in its slot: calls make(y, rows, count) for every target row
    // that now has all its rows, in order.
    template <typename Make>
    void complete(int32_t row, Make&& make) {
        const std::vector<int32_t>& first = *first_;
        const std::vector<int32_t>& count = *count_;
        while (next_ < first.size() && first[next_] + count[next_] - 1 <= row) {
            const int32_t from = first[next_];
            for (int32_t k = 0; k < count[next_]; ++k) {
                rows_[static_cast<size_t>(k)] = slot(from + k);
            }
            make(next_, rows_.data(), count[next_]);
            ++next_;
        }
    }

    bool finished() const { return next_ >= first_->size(); }

  private:
    const std::vector<int32_t>* first_ = nullptr;
    const std::vector<int32_t>* count_ = nullptr;
    size_t rowSamples_ = 0;
    size_t slots_ = 1;
    size_t next_ = 0;
    std::vector<Sample> ring_;
    std::vector<const Sample*> rows_;
};

}  // namespace drape::platform

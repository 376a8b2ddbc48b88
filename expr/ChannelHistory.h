#pragma once
// The past of one channel for pastValue(), maxValue() and minValue(): the
// last kLength samples and the extremes since the start, in fixed memory.
#include <array>
#include <cstddef>

class ChannelHistory {
public:
    static constexpr size_t kLength = 256;

    ChannelHistory();
    // One tick's value; NaN (no value) is kept as a gap and ignored by the extremes.
    void add(double value);
    // The sample `back` ticks before the newest (1: the newest); NaN when not kept.
    double past(size_t back) const;
    // NaN until a sample had a value.
    double largest() const { return m_largest; }
    double smallest() const { return m_smallest; }

private:
    std::array<double, kLength> m_samples{};
    size_t m_next = 0;
    size_t m_count = 0;
    double m_largest;
    double m_smallest;
};

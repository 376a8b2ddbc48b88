#include "expr/ChannelHistory.h"

#include <cmath>
#include <limits>

ChannelHistory::ChannelHistory()
    : m_largest(std::numeric_limits<double>::quiet_NaN()),
      m_smallest(std::numeric_limits<double>::quiet_NaN())
{
}

void ChannelHistory::add(double value)
{
    m_samples[m_next] = value;
    m_next = (m_next + 1) % kLength;
    if (m_count < kLength)
        ++m_count;
    if (std::isnan(value))
        return;
    if (!(value <= m_largest))
        m_largest = value;
    if (!(value >= m_smallest))
        m_smallest = value;
}

double ChannelHistory::past(size_t back) const
{
    if (back == 0 || back > m_count)
        return std::numeric_limits<double>::quiet_NaN();
    return m_samples[(m_next + kLength - back) % kLength];
}

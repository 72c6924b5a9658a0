#pragma once

#include <cstddef>
#include <vector>

namespace kolvar::listorder {

// A list that grows a block at a time. A vector that doubles holds its old and its new copy at
// once, which at the end of a long load is a third of the memory the order takes at its peak.
// Room reserved before the first item is one block of that size, so a list whose length is
// known is one array as before.
template <typename T> class BlockList
{
public:
    void reserve(std::size_t items)
    {
        if (m_first.empty() && m_blocks.empty())
            m_first.reserve(items);
    }

    void push_back(const T& item)
    {
        if (m_blocks.empty() && m_first.size() < m_first.capacity()) {
            m_first.push_back(item);
        } else {
            if (m_blocks.empty() || m_blocks.back().size() == BlockItems) {
                m_blocks.emplace_back();
                m_blocks.back().reserve(BlockItems);
            }
            m_blocks.back().push_back(item);
        }
        ++m_size;
    }

    [[nodiscard]] std::size_t size() const { return m_size; }
    T& operator[](std::size_t i)
    {
        if (i < m_first.size())
            return m_first[i];
        i -= m_first.size();
        return m_blocks[i / BlockItems][i % BlockItems];
    }
    const T& operator[](std::size_t i) const { return const_cast<BlockList&>(*this)[i]; }

    // The items as one array, each block given back as soon as it is copied.
    [[nodiscard]] std::vector<T> take()
    {
        std::vector<T> all = std::move(m_first);
        if (!m_blocks.empty()) {
            all.reserve(m_size);
            for (std::vector<T>& block : m_blocks) {
                all.insert(all.end(), block.begin(), block.end());
                std::vector<T>().swap(block);
            }
        }
        *this = {};
        return all;
    }

private:
    static constexpr std::size_t BlockItems = std::size_t(1) << 14;
    std::vector<T> m_first;
    std::vector<std::vector<T>> m_blocks;
    std::size_t m_size = 0;
};

} // namespace kolvar::listorder

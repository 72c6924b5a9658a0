#pragma once

#include <QtGlobal>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>

namespace kolvar::storage {

// A growable array of plain values that grows with realloc. For blocks of hundreds of megabytes
// (a whole register read into memory) glibc moves the pages instead of copying them, so the
// peak stays near the final size; QByteArray::append allocates anew and copies when it grows.
template <typename T> class PodBuffer
{
    static_assert(std::is_trivially_copyable_v<T>);

public:
    PodBuffer() = default;
    PodBuffer(const PodBuffer&) = delete;
    PodBuffer& operator=(const PodBuffer&) = delete;

    [[nodiscard]] const T* data() const { return m_data.get(); }
    [[nodiscard]] qsizetype size() const { return m_size; }
    [[nodiscard]] const T& operator[](qsizetype i) const { return m_data.get()[i]; }

    void append(const T* values, qsizetype count)
    {
        if (count <= 0)
            return;
        if (m_size + count > m_capacity)
            reallocate(std::max(m_size + count, m_capacity + m_capacity / 2 + 64));
        std::memcpy(m_data.get() + m_size, values, static_cast<size_t>(count) * sizeof(T));
        m_size += count;
    }
    void append(const T& value) { append(&value, 1); }

    // Keeps the capacity, for refilling.
    void clear() { m_size = 0; }

    // Gives back the growth reserve once nothing more is appended.
    void shrinkToFit()
    {
        if (m_capacity > m_size && m_size > 0)
            reallocate(m_size);
    }

private:
    struct Free
    {
        void operator()(T* p) const noexcept { std::free(p); }
    };

    void reallocate(qsizetype capacity)
    {
        void* grown = std::realloc(m_data.get(), static_cast<size_t>(capacity) * sizeof(T));
        if (!grown)
            throw std::bad_alloc();
        (void)m_data.release();
        m_data.reset(static_cast<T*>(grown));
        m_capacity = capacity;
    }

    std::unique_ptr<T, Free> m_data;
    qsizetype m_size = 0;
    qsizetype m_capacity = 0;
};

} // namespace kolvar::storage

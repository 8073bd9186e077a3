#include "LockedBytes.h"

#include <sodium.h>

#include <utility>

LockedBytes::LockedBytes(qsizetype size)
    : m_data(
        sodium_init() < 0 ? nullptr : static_cast<unsigned char *>(sodium_malloc(size_t(size))))
    , m_size(m_data ? size : 0)
{ }

LockedBytes::LockedBytes(LockedBytes &&other) noexcept
    : m_data(std::exchange(other.m_data, nullptr))
    , m_size(std::exchange(other.m_size, 0))
{ }

LockedBytes &LockedBytes::operator=(LockedBytes &&other) noexcept
{
    if (this != &other) {
        sodium_free(m_data);
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

LockedBytes::~LockedBytes()
{
    sodium_free(m_data); // wipes the bytes before it frees the memory
}

#pragma once

#include <QByteArrayView>

// Bytes of a secret in memory of their own: kept out of swap and out of core dumps where the
// system allows, wiped and freed when they go. Null when the memory could not be had.
class LockedBytes
{
public:
    explicit LockedBytes(qsizetype size);
    LockedBytes(LockedBytes &&other) noexcept;
    LockedBytes &operator=(LockedBytes &&other) noexcept;
    ~LockedBytes();

    bool isNull() const { return !m_data; }
    unsigned char *data() { return m_data; }
    const unsigned char *data() const { return m_data; }
    qsizetype size() const { return m_size; }
    QByteArrayView view() const { return {m_data, m_size}; }

private:
    unsigned char *m_data;
    qsizetype m_size;
};

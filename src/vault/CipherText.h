#pragma once

#include <QByteArray>

#include <optional>

// The symmetric byte cipher: each output byte is 255 - (text byte XOR key byte), the key
// restarting after its last byte. Enciphering twice with one key gives the text back.
// Fails (no value) when the key is empty and the text is not.
std::optional<QByteArray> CipherText(const QByteArray &text, const QByteArray &key);

// The cipher over many texts with one key: the key's bytes complemented and repeated once, so
// that each text is one pass of XOR, the key starting at its first byte.
class CipherStream
{
public:
    // The key repeated for texts of the longest length given (at most some KiB at a time).
    explicit CipherStream(const QByteArray &key, qsizetype longest = 4096);
    // An empty key enciphers only empty texts.
    bool isEmpty() const { return m_stream.isEmpty(); }
    // Enciphers (or deciphers) size bytes of from into to, which may be from; the key is not
    // empty.
    void apply(const char *from, char *to, qsizetype size) const;

private:
    QByteArray m_stream; // a whole number of keys, some KiB long
};

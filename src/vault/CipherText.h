#pragma once

#include <QByteArray>

#include <optional>

// The symmetric byte cipher: each output byte is 255 - (text byte XOR key byte), the key
// restarting after its last byte. Enciphering twice with one key gives the text back.
// Fails (no value) when the key is empty and the text is not.
std::optional<QByteArray> CipherText(const QByteArray &text, const QByteArray &key);

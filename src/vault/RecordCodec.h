#pragma once

#include <QByteArray>

// The record codec: a fixed permutation of the 63 characters 0-9, a-z, A-Z and ':';
// every other byte passes unchanged. Coding keeps the length and the order.
QByteArray EncodeRecord(QByteArray line);
QByteArray DecodeRecord(QByteArray coded);

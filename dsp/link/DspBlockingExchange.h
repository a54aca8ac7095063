#pragma once
#include <QString>

#include <cstdint>

/// One request and its reply on a socket of its own, in the calling thread (blocks it). Used where a single
/// answer is awaited outside the dialog's link, such as writing a device's factory configuration.
namespace DspBlockingExchange {

/// Sends `text` framed to `ip` (host order) and returns the first whole reply message, or one of the error
/// texts in the current language: connection failed (no connection within connectMs), timeout (no data for
/// waitMs), read length error (connection closed before the reply was whole), parse length error (a zero
/// or oversized length). The product always uses port 8999; only tests pass another.
QString request(uint32_t ip, const QString& text, int connectMs = 1000, int waitMs = 1000, quint16 port = 8999);

QString connectFailedText();
QString timeoutText();
QString readLengthErrorText();
QString parseLengthErrorText();

} // namespace DspBlockingExchange

// The wire format between a starting Ridgeview and the one already running.
//
// A starting instance that finds another one running connects to that instance's local
// socket (see single_instance.h) and sends requests; the running instance answers each
// request after it has handled it, in the order received. All numbers are 32-bit unsigned
// little-endian.
//
// Request = header (8 bytes) + payload:
//   offset 0: tag
//   offset 4: byte count of the payload that follows
//   offset 8: payload
//
//   tag 0, open (the command-line hand-over): the payload is the command line as UTF-16LE
//          code units followed by one zero unit, so byte count = (units + 1) * 2. The text is
//          a file path, used unchanged by the receiver (no unquoting, no trimming).
//          Valid only when: byte count is even, at least 4 (one unit of text plus the
//          terminator: an empty command line is never sent), at most kMaxHandOverBytes, the
//          last unit is zero and no other unit is.
//   tag 1, activate: raise and activate the running instance's window. Byte count 0.
//   Any other tag is invalid.
//
// Answer = 8 bytes:
//   offset 0: the tag of the request answered
//   offset 4: result, 1 when the request succeeded (the file opened; the window was raised),
//             0 when it did not
//
// The receiver validates the header before it waits for the payload, so a byte count that
// cannot be valid is rejected at once instead of being waited for. An invalid request ends
// the connection without an answer.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

namespace ridgeview::platform {

inline constexpr quint32 kOpenTag = 0;
inline constexpr quint32 kActivateTag = 1;

inline constexpr qsizetype kRecordHeaderBytes = 8;
inline constexpr qsizetype kAnswerBytes = 8;

// Largest payload of an open request: 32767 UTF-16 units of text plus the terminator. Far
// beyond any path the file system accepts, small enough to bound what a client can make the
// receiver buffer.
inline constexpr quint32 kMaxHandOverBytes = 64 * 1024;

// The open request for `commandLine`, or an empty array when the text is empty or does not
// fit kMaxHandOverBytes, or contains a zero unit (no such request would be valid).
QByteArray EncodeOpenRequest(const QString& commandLine);

// The activation request.
QByteArray EncodeActivateRequest();

// The answer to a request with `tag`.
QByteArray EncodeAnswer(quint32 tag, bool succeeded);

enum class RecordStatus {
  Incomplete,  // valid so far; more bytes are needed
  Complete,    // a whole valid record starts the buffer
  Malformed,   // the bytes can never become a valid record
};

struct DecodedRequest {
  RecordStatus status = RecordStatus::Incomplete;
  quint32 tag = 0;
  QString text;        // the command line of an open request, without its terminator
  qsizetype size = 0;  // bytes the whole record takes (when Complete)
};

// Looks at the request that starts `bytes`. Reads nothing beyond bytes.size(). When the
// header alone is present and already invalid, the result is Malformed.
DecodedRequest DecodeRequest(QByteArrayView bytes);

struct DecodedAnswer {
  RecordStatus status = RecordStatus::Incomplete;
  quint32 tag = 0;
  bool succeeded = false;
};

// Looks at the answer that starts `bytes` (result values other than 0 and 1 are Malformed).
DecodedAnswer DecodeAnswer(QByteArrayView bytes);

}  // namespace ridgeview::platform

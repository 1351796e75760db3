#include "platform/qt/instance/handover_record.h"

#include <QtEndian>

namespace ridgeview::platform {
namespace {

void AppendU32(QByteArray& out, quint32 value) {
  char bytes[4];
  qToLittleEndian(value, bytes);
  out.append(bytes, 4);
}

quint32 ReadU32(QByteArrayView bytes, qsizetype at) {
  return qFromLittleEndian<quint32>(bytes.data() + at);
}

char16_t ReadUnit(QByteArrayView bytes, qsizetype at) {
  return qFromLittleEndian<char16_t>(bytes.data() + at);
}

// Checks a header's tag and byte count without looking at the payload.
bool HeaderIsValid(quint32 tag, quint32 count) {
  if (tag == kActivateTag) return count == 0;
  if (tag != kOpenTag) return false;
  // At least one text unit and the terminator; whole units; bounded.
  return count >= 4 && count % 2 == 0 && count <= kMaxHandOverBytes;
}

}  // namespace

QByteArray EncodeOpenRequest(const QString& commandLine) {
  const qsizetype units = commandLine.size();
  if (units == 0 || units >= static_cast<qsizetype>(kMaxHandOverBytes / 2)) return {};
  if (commandLine.contains(QChar(u'\0'))) return {};
  const auto count = static_cast<quint32>((units + 1) * 2);

  QByteArray out;
  out.reserve(kRecordHeaderBytes + count);
  AppendU32(out, kOpenTag);
  AppendU32(out, count);
  for (const QChar unit : commandLine) {
    char bytes[2];
    qToLittleEndian(static_cast<char16_t>(unit.unicode()), bytes);
    out.append(bytes, 2);
  }
  out.append(2, '\0');
  return out;
}

QByteArray EncodeActivateRequest() {
  QByteArray out;
  AppendU32(out, kActivateTag);
  AppendU32(out, 0);
  return out;
}

QByteArray EncodeAnswer(quint32 tag, bool succeeded) {
  QByteArray out;
  AppendU32(out, tag);
  AppendU32(out, succeeded ? 1 : 0);
  return out;
}

DecodedRequest DecodeRequest(QByteArrayView bytes) {
  DecodedRequest result;
  if (bytes.size() < kRecordHeaderBytes) return result;

  const quint32 tag = ReadU32(bytes, 0);
  const quint32 count = ReadU32(bytes, 4);
  if (!HeaderIsValid(tag, count)) {
    result.status = RecordStatus::Malformed;
    return result;
  }
  // count <= kMaxHandOverBytes, so the sum cannot overflow.
  const qsizetype size = kRecordHeaderBytes + static_cast<qsizetype>(count);
  if (bytes.size() < size) return result;

  result.tag = tag;
  result.size = size;
  if (tag == kOpenTag) {
    const qsizetype units = static_cast<qsizetype>(count / 2) - 1;  // without the terminator
    QString text(units, Qt::Uninitialized);
    for (qsizetype i = 0; i < units; ++i) {
      const char16_t unit = ReadUnit(bytes, kRecordHeaderBytes + 2 * i);
      if (unit == 0) {
        result.status = RecordStatus::Malformed;
        return result;
      }
      text[i] = QChar(unit);
    }
    if (ReadUnit(bytes, kRecordHeaderBytes + 2 * units) != 0) {
      result.status = RecordStatus::Malformed;
      return result;
    }
    result.text = std::move(text);
  }
  result.status = RecordStatus::Complete;
  return result;
}

DecodedAnswer DecodeAnswer(QByteArrayView bytes) {
  DecodedAnswer result;
  if (bytes.size() < kAnswerBytes) return result;
  const quint32 tag = ReadU32(bytes, 0);
  const quint32 value = ReadU32(bytes, 4);
  if ((tag != kOpenTag && tag != kActivateTag) || value > 1) {
    result.status = RecordStatus::Malformed;
    return result;
  }
  result.status = RecordStatus::Complete;
  result.tag = tag;
  result.succeeded = value == 1;
  return result;
}

}  // namespace ridgeview::platform

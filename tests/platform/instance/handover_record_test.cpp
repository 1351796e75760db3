#include "platform/qt/instance/handover_record.h"

#include <gtest/gtest.h>

#include <QtEndian>

namespace ridgeview::platform {
namespace {

QByteArray Header(quint32 tag, quint32 count) {
  QByteArray out(8, '\0');
  qToLittleEndian(tag, out.data());
  qToLittleEndian(count, out.data() + 4);
  return out;
}

QByteArray Units(std::initializer_list<char16_t> units) {
  QByteArray out;
  for (char16_t unit : units) {
    char bytes[2];
    qToLittleEndian(unit, bytes);
    out.append(bytes, 2);
  }
  return out;
}

TEST(HandOverRecord, OpenRequestLayout) {
  const QByteArray bytes = EncodeOpenRequest(QStringLiteral("/a b"));
  const QByteArray expected = Header(0, 10) + Units({u'/', u'a', u' ', u'b', 0});
  EXPECT_EQ(bytes, expected);
}

TEST(HandOverRecord, OpenRequestRoundTripsTheTextUnchanged) {
  // Blanks at both ends, quotes, a character outside the basic plane (a surrogate pair).
  const QString text = QStringLiteral(" \"/tmp/Ab\u00e9c\" ") + QString::fromUcs4(U"\U0001F446") +
                       QStringLiteral(" ");
  const QByteArray bytes = EncodeOpenRequest(text);
  ASSERT_FALSE(bytes.isEmpty());
  const DecodedRequest request = DecodeRequest(bytes);
  ASSERT_EQ(request.status, RecordStatus::Complete);
  EXPECT_EQ(request.tag, kOpenTag);
  EXPECT_EQ(request.text, text);
  EXPECT_EQ(request.size, bytes.size());
  EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 4),
            static_cast<quint32>((text.size() + 1) * 2));
}

TEST(HandOverRecord, OpenRequestSizeLimits) {
  EXPECT_TRUE(EncodeOpenRequest(QString()).isEmpty());
  EXPECT_TRUE(EncodeOpenRequest(QString(1, QChar(u'\0'))).isEmpty());

  const QString largest(kMaxHandOverBytes / 2 - 1, QChar(u'x'));
  const QByteArray bytes = EncodeOpenRequest(largest);
  ASSERT_EQ(bytes.size(), kRecordHeaderBytes + kMaxHandOverBytes);
  const DecodedRequest request = DecodeRequest(bytes);
  ASSERT_EQ(request.status, RecordStatus::Complete);
  EXPECT_EQ(request.text, largest);

  EXPECT_TRUE(EncodeOpenRequest(largest + QChar(u'x')).isEmpty());
}

TEST(HandOverRecord, ActivateRequestAndAnswers) {
  EXPECT_EQ(EncodeActivateRequest(), Header(1, 0));
  const DecodedRequest request = DecodeRequest(EncodeActivateRequest());
  EXPECT_EQ(request.status, RecordStatus::Complete);
  EXPECT_EQ(request.tag, kActivateTag);
  EXPECT_EQ(request.size, 8);

  EXPECT_EQ(EncodeAnswer(1, true), Header(1, 1));
  const DecodedAnswer yes = DecodeAnswer(EncodeAnswer(0, true));
  EXPECT_EQ(yes.status, RecordStatus::Complete);
  EXPECT_EQ(yes.tag, kOpenTag);
  EXPECT_TRUE(yes.succeeded);
  EXPECT_FALSE(DecodeAnswer(EncodeAnswer(1, false)).succeeded);

  EXPECT_EQ(DecodeAnswer(Header(1, 1).left(7)).status, RecordStatus::Incomplete);
  EXPECT_EQ(DecodeAnswer(Header(1, 2)).status, RecordStatus::Malformed);
  EXPECT_EQ(DecodeAnswer(Header(7, 1)).status, RecordStatus::Malformed);
}

TEST(HandOverRecord, EveryPrefixOfAValidRecordIsIncomplete) {
  const QByteArray bytes = EncodeOpenRequest(QStringLiteral("/x.wsq"));
  for (qsizetype n = 0; n < bytes.size(); ++n) {
    // A copy of exactly n bytes, so that a read beyond it is caught by the sanitizers.
    const QByteArray prefix = bytes.left(n);
    EXPECT_EQ(DecodeRequest(prefix).status, RecordStatus::Incomplete) << n;
  }
  // Bytes after the record belong to the next one.
  const DecodedRequest request = DecodeRequest(bytes + EncodeActivateRequest());
  EXPECT_EQ(request.status, RecordStatus::Complete);
  EXPECT_EQ(request.size, bytes.size());
}

TEST(HandOverRecord, InvalidHeadersAreRejectedBeforeThePayloadArrives) {
  EXPECT_EQ(DecodeRequest(Header(0, 9)).status, RecordStatus::Malformed);  // odd
  EXPECT_EQ(DecodeRequest(Header(0, 0)).status, RecordStatus::Malformed);  // no terminator
  EXPECT_EQ(DecodeRequest(Header(0, 2)).status, RecordStatus::Malformed);  // empty text
  EXPECT_EQ(DecodeRequest(Header(0, kMaxHandOverBytes + 2)).status, RecordStatus::Malformed);
  EXPECT_EQ(DecodeRequest(Header(0, 0xFFFFFFFEu)).status, RecordStatus::Malformed);
  EXPECT_EQ(DecodeRequest(Header(1, 2)).status, RecordStatus::Malformed);  // activate + payload
  EXPECT_EQ(DecodeRequest(Header(2, 0)).status, RecordStatus::Malformed);  // unknown tag
  EXPECT_EQ(DecodeRequest(Header(0x80000000u, 4)).status, RecordStatus::Malformed);
}

TEST(HandOverRecord, PayloadsWithoutExactlyOneFinalTerminatorAreRejected) {
  EXPECT_EQ(DecodeRequest(Header(0, 6) + Units({u'a', u'b', u'c'})).status,
            RecordStatus::Malformed);
  EXPECT_EQ(DecodeRequest(Header(0, 6) + Units({u'a', 0, 0})).status, RecordStatus::Malformed);
  EXPECT_EQ(DecodeRequest(Header(0, 6) + Units({0, u'a', 0})).status, RecordStatus::Malformed);
}

}  // namespace
}  // namespace ridgeview::platform

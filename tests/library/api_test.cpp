// libridgeview-wsq through its public header only: the error record of every damaged vector,
// warnings and long messages, the info record, argument checks, the memory budget, and the
// names and messages of codes. (The reference vectors byte for byte: c_consumer.c.)
#include <gtest/gtest.h>

#include <fstream>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "codec/decode/wsq_builder.h"
#include "codec/test_files.h"
#include "ridgeview/wsq.h"

namespace {

using ridgeview::testing_files::read_file;
using ridgeview::testing_files::read_pgm;
using ridgeview::testing_files::vector_path;

// Values a failed call must leave alone.
constexpr int kUntouched = 12345;

ridgeview_wsq_image untouched_image() {
  ridgeview_wsq_image image;
  image.pixels = nullptr;
  image.width = image.height = image.depth = image.ppi = image.lossy = kUntouched;
  return image;
}

struct Decoded {
  int code;
  ridgeview_wsq_image image;
  ridgeview_wsq_error error;
};

Decoded decode(const std::vector<std::uint8_t>& file, int threads = 1) {
  Decoded d{0, untouched_image(), {}};
  d.code = ridgeview_wsq_decode(file.data(), file.size(), threads, &d.image, &d.error);
  return d;
}

// The rows of errors/expected.tsv: file, code, message with its C escapes undone.
struct ExpectedError {
  std::string file;
  int code;
  std::string message;
};

std::vector<ExpectedError> expected_errors() {
  std::vector<ExpectedError> rows;
  std::ifstream list(vector_path("errors/expected.tsv"));
  std::string line;
  std::getline(list, line);  // header
  while (std::getline(list, line)) {
    const std::size_t a = line.find('\t'), b = line.find('\t', a + 1);
    if (b == std::string::npos) continue;
    std::string message = line.substr(b + 1);
    for (std::size_t p; (p = message.find("\\n")) != std::string::npos;) message.replace(p, 2, "\n");
    rows.push_back({line.substr(0, a), std::stoi(line.substr(a + 1, b - a - 1)), message});
  }
  return rows;
}

TEST(LibraryErrors, DamagedVectorsGiveTheirCodeAndMessageAndNoImage) {
  const auto rows = expected_errors();
  ASSERT_GE(rows.size(), 20u);
  for (const ExpectedError& row : rows) {
    SCOPED_TRACE(row.file);
    const auto file = read_file(vector_path("errors/" + row.file));
    Decoded d = decode(file);
    EXPECT_EQ(d.code, row.code);
    EXPECT_EQ(d.error.code, row.code);
    EXPECT_EQ(d.error.refusal, RIDGEVIEW_WSQ_REFUSAL_NONE);
    // The listed line is the first the decoder writes.
    EXPECT_EQ(std::string(d.error.message).rfind(row.message, 0), 0u) << d.error.message;
    EXPECT_EQ(d.image.pixels, nullptr);
    EXPECT_EQ(d.image.width, kUntouched);
    EXPECT_NE(std::string(ridgeview_wsq_code_name(row.code)), "UNKNOWN");
    // Without an error record the code is all there is.
    EXPECT_EQ(ridgeview_wsq_decode(file.data(), file.size(), 1, &d.image, nullptr), row.code);
  }
}

// A 64 x 64 frame whose table 0 has an all-ones code, so that every block using it makes the
// decoder warn; `blocks` blocks of eight coded values each, then `tail`.
std::vector<std::uint8_t> warning_file(int blocks, const ridgeview::wsq_test::Bytes& tail) {
  using namespace ridgeview::wsq_test;
  std::vector<int> all(60);
  for (int k = 0; k < 60; ++k) all[k] = k;
  Bytes f = soi();
  append(f, standard_dtt());
  append(f, dqt(all));
  append(f, sof(64, 64));
  append(f, dht(0, {2}, {254, 107}));
  for (int i = 0; i < blocks; ++i) {
    append(f, sob(0));
    append(f, bits("0"));
  }
  append(f, tail);
  return f;
}

constexpr char kWarning[] = "         hufftable_id = 0\n";

TEST(LibraryMessages, WarningsComeWithASuccess) {
  const auto file = warning_file(3, ridgeview::wsq_test::eoi());
  ridgeview_wsq_image image{};
  ridgeview_wsq_error error;
  ASSERT_EQ(ridgeview_wsq_decode(file.data(), 1, 1, &image, &error), -40);
  // The record of a failure, used again: all of it is the success's.
  ASSERT_EQ(ridgeview_wsq_decode(file.data(), file.size(), 1, &image, &error), 0) << error.message;
  EXPECT_EQ(error.code, 0);
  EXPECT_EQ(error.refusal, RIDGEVIEW_WSQ_REFUSAL_NONE);
  EXPECT_EQ(std::string(error.message), std::string(kWarning) + kWarning + kWarning);
  ridgeview_wsq_free(image.pixels);
}

TEST(LibraryMessages, ALongMessageKeepsItsFirstLinesAndTheFailure) {
  // 60 warnings and the failure: about 1.7 KiB, more than the record holds.
  const std::string failure = "ERROR : huffman_decode_data_mem : huffman table {5} undefined.\n";
  ridgeview::wsq_test::Bytes tail = ridgeview::wsq_test::sob(5);
  ridgeview::wsq_test::append(tail, ridgeview::wsq_test::bits("0"));
  Decoded d = decode(warning_file(60, tail));
  ASSERT_EQ(d.code, -51);
  const std::string message = d.error.message;
  EXPECT_LT(message.size(), sizeof d.error.message);
  EXPECT_GT(message.size(), sizeof d.error.message - 64);
  ASSERT_GT(message.size(), failure.size() + 4);
  EXPECT_EQ(message.substr(message.size() - failure.size() - 4), "...\n" + failure);
  // Everything before the gap is whole warning lines.
  const std::string head = message.substr(0, message.size() - failure.size() - 4);
  ASSERT_EQ(head.size() % (sizeof kWarning - 1), 0u);
  for (std::size_t at = 0; at < head.size(); at += sizeof kWarning - 1) {
    EXPECT_EQ(head.substr(at, sizeof kWarning - 1), kWarning);
  }
}

TEST(LibraryInfo, FactsEntriesAndPiecesInFileOrder) {
  const auto wsq = read_file(vector_path("print_419x331.wsq"));
  ridgeview_wsq_info info;
  ridgeview_wsq_error error;
  ASSERT_EQ(ridgeview_wsq_read_info(wsq.data(), wsq.size(), &info, &error), 0) << error.message;
  EXPECT_EQ(info.width, 419);
  EXPECT_EQ(info.height, 331);
  EXPECT_EQ(info.ppi, 500);
  ASSERT_GE(info.nistcom_count, 7u);
  EXPECT_STREQ(info.nistcom[0].name, "NIST_COM");
  EXPECT_EQ(info.nistcom[0].value, std::to_string(info.nistcom_count));
  EXPECT_STREQ(info.nistcom[1].name, "PIX_WIDTH");
  // The encoder's layout, each piece starting where the one before ends.
  std::vector<unsigned> markers;
  std::size_t end = 0;
  for (std::size_t i = 0; i < info.segment_count; ++i) {
    EXPECT_EQ(info.segments[i].offset, end);
    end += info.segments[i].length;
    markers.push_back(info.segments[i].marker);
  }
  EXPECT_EQ(end, wsq.size());
  const unsigned kData = RIDGEVIEW_WSQ_SEGMENT_DATA;
  EXPECT_EQ(markers, (std::vector<unsigned>{0xFFA0, 0xFFA8, 0xFFA8, 0xFFA4, 0xFFA5, 0xFFA2,
                                            0xFFA6, 0xFFA3, kData, 0xFFA6, 0xFFA3, kData, 0xFFA3,
                                            kData, 0xFFA1}));
  ridgeview_wsq_info_free(&info);
  EXPECT_EQ(info.segments, nullptr);
  ridgeview_wsq_info_free(&info);  // a second release does nothing
}

TEST(LibraryInfo, FileWithoutNistcomAndDamagedHeaders) {
  using namespace ridgeview::wsq_test;
  Bytes f = soi();
  append(f, standard_dtt());
  append(f, dqt({0}));
  append(f, sof(100, 80));
  append(f, sob(0));
  append(f, {0x12, 0xFF, 0x10, 0x00});  // coded data, then bytes that are no marker
  ridgeview_wsq_info info;
  ridgeview_wsq_error error;
  ASSERT_EQ(ridgeview_wsq_read_info(f.data(), f.size(), &info, &error), 0) << error.message;
  EXPECT_EQ(info.ppi, -1);
  EXPECT_EQ(info.nistcom_count, 0u);
  EXPECT_EQ(info.nistcom, nullptr);
  ASSERT_EQ(info.segment_count, 7u);
  EXPECT_EQ(info.segments[6].marker, unsigned{RIDGEVIEW_WSQ_SEGMENT_UNKNOWN});
  EXPECT_EQ(info.segments[6].length, 3u);
  ridgeview_wsq_info_free(&info);

  // Headers cut short: the decoder's code, the record untouched.
  ridgeview_wsq_info same;
  same.width = kUntouched;
  EXPECT_EQ(ridgeview_wsq_read_info(f.data(), 30, &same, &error), -40);
  EXPECT_EQ(same.width, kUntouched);
  EXPECT_STREQ(error.message, "ERROR : getc_bytes : premature End Of Buffer\n");
}

TEST(LibraryArguments, NullPointersAndBadBitRatesAreRefused) {
  const auto wsq = read_file(vector_path("print_419x331.wsq"));
  ridgeview_wsq_error error;
  EXPECT_EQ(ridgeview_wsq_decode(wsq.data(), wsq.size(), 0, nullptr, &error),
            RIDGEVIEW_WSQ_INVALID_ARGUMENT);
  EXPECT_STREQ(error.message, "ERROR : ridgeview_wsq_decode : invalid argument : null image\n");
  ridgeview_wsq_image image = untouched_image();
  EXPECT_EQ(ridgeview_wsq_decode(nullptr, 5, 0, &image, &error), RIDGEVIEW_WSQ_INVALID_ARGUMENT);
  EXPECT_EQ(image.width, kUntouched);
  // No bytes at all is an empty file, which the decoder refuses as such.
  EXPECT_EQ(ridgeview_wsq_decode(nullptr, 0, 0, &image, &error), -40);
  ridgeview_wsq_info info;
  EXPECT_EQ(ridgeview_wsq_read_info(nullptr, 3, &info, &error), RIDGEVIEW_WSQ_INVALID_ARGUMENT);

  const std::vector<std::uint8_t> pixels(100 * 100, 128);
  unsigned char* data = nullptr;
  std::size_t size = 7;
  for (const float rate : {0.0f, -1.0f, 8.01f, std::numeric_limits<float>::quiet_NaN(),
                           std::numeric_limits<float>::infinity()}) {
    SCOPED_TRACE(rate);
    EXPECT_EQ(ridgeview_wsq_encode(pixels.data(), 100, 100, rate, 500, nullptr, 0, &data, &size,
                                   &error),
              RIDGEVIEW_WSQ_INVALID_ARGUMENT);
    EXPECT_EQ(std::string(error.message).rfind("ERROR : ridgeview_wsq_encode : invalid argument : ", 0),
              0u);
  }
  EXPECT_EQ(ridgeview_wsq_encode(pixels.data(), 100, 100, 0.75f, 500, nullptr, 0, &data, nullptr,
                                 &error),
            RIDGEVIEW_WSQ_INVALID_ARGUMENT);
  // What the encoder checks itself keeps its own code and message.
  EXPECT_EQ(ridgeview_wsq_encode(nullptr, 100, 100, 0.75f, 500, nullptr, 0, &data, &size, &error),
            -122);
  EXPECT_STREQ(error.message, "ERROR : wsq_encode_1 : null image or output\n");
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(size, 7u);
  // Eight bits per pixel is the most a file may hold; the rate itself is accepted.
  EXPECT_NE(ridgeview_wsq_encode(pixels.data(), 100, 100, 8.0f, 500, nullptr, -3, &data, &size,
                                 &error),
            RIDGEVIEW_WSQ_INVALID_ARGUMENT);
  ridgeview_wsq_free(data);
}

TEST(LibraryBudget, FramesBeyondTheBudgetAreRefusedAsSuch) {
  const std::size_t saved = ridgeview_wsq_memory_budget();
  const auto wsq = read_file(vector_path("print_419x331.wsq"));
  const auto source = read_pgm(vector_path("print_419x331.pgm"));
  ridgeview_wsq_set_memory_budget(100000);
  Decoded d = decode(wsq);
  EXPECT_EQ(d.code, -20);
  EXPECT_EQ(d.error.refusal, RIDGEVIEW_WSQ_REFUSAL_BUDGET);
  EXPECT_STREQ(d.error.message, "ERROR: wsq_decode_mem : malloc : qdata1\n");
  unsigned char* data = nullptr;
  std::size_t size = 0;
  ridgeview_wsq_error error;
  EXPECT_EQ(ridgeview_wsq_encode(source.pixels.data(), source.width, source.height, 0.75f, 500,
                                 "", 0, &data, &size, &error),
            -10);
  EXPECT_EQ(error.refusal, RIDGEVIEW_WSQ_REFUSAL_BUDGET);
  ridgeview_wsq_set_memory_budget(saved);

  // The refusal belongs to the failed call only.
  d = decode(read_file(vector_path("errors/no_soi.wsq")));
  EXPECT_EQ(d.error.refusal, RIDGEVIEW_WSQ_REFUSAL_NONE);
  d = decode(wsq);
  ASSERT_EQ(d.code, 0);
  ridgeview_wsq_free(d.image.pixels);
  ridgeview_wsq_release_cached_memory();
}

TEST(LibraryCodes, NamesAndMessagesOfEveryMeaning) {
  EXPECT_STREQ(ridgeview_wsq_code_name(0), "OK");
  EXPECT_STREQ(ridgeview_wsq_code_message(-88), "ERROR : getc_marker_wsq : No SOI marker. {%04X}\n");
  EXPECT_STREQ(ridgeview_wsq_code_name(-91), "WSQ_NO_MARKER | WSQ_UNQUANTIZE_ALLOC");
  EXPECT_STREQ(ridgeview_wsq_code_message(-91),
               "ERROR : getc_marker_wsq : no marker found {%04X}\n | "
               "ERROR : unquantize : calloc : fip\n");
  // -1 has two meanings; only the encoder's writes a message.
  EXPECT_STREQ(ridgeview_wsq_code_name(-1), "WSQ_ALL_ONES_CODE | WSQ_ENC_ALL_ONES_CODE");
  EXPECT_STREQ(ridgeview_wsq_code_message(-1),
               "ERROR: This huffcode warning is an error for the encoder.\n");
  // -2 is the most shared value: every meaning is listed, in the codec's order.
  const std::string two = ridgeview_wsq_code_name(-2);
  EXPECT_EQ(two.rfind("WSQ_SEGMENT_PAST_END | WSQ_NO_HUFFMAN_BYTES | WSQ_HUFFMAN_SLOT_TAKEN", 0),
            0u);
  EXPECT_NE(two.find("FET_NOT_FOUND"), std::string::npos);
  EXPECT_EQ(std::string(ridgeview_wsq_code_message(-2)).find(" |  | "), std::string::npos);
  EXPECT_STREQ(ridgeview_wsq_code_name(RIDGEVIEW_WSQ_NO_MEMORY), "RIDGEVIEW_WSQ_NO_MEMORY");
  EXPECT_STREQ(ridgeview_wsq_code_name(-9999), "UNKNOWN");
  EXPECT_STREQ(ridgeview_wsq_code_message(-9999), "");
}

}  // namespace

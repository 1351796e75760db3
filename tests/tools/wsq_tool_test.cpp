// ridgeview-wsq's subcommands: single files and batches, identical results either way, every
// failure reported by file name without stopping the others, and no partial output files.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <thread>
#include <string>
#include <vector>

#include "codec/common/codec_memory.h"
#include "codec/decode/wsq_builder.h"
#include "codec/wsq/wsq.h"
#include "tools/fpgen/fingerprint_generator.h"
#include "tools/ridgeview-wsq/batch.h"
#include "tools/ridgeview-wsq/commands.h"
#include "tools/ridgeview-wsq/gray_image_io.h"

namespace ridgeview::tools {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write(const fs::path& p, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(p, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class WsqTool : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("ridgeview-wsq-tool-" + std::to_string(::getpid()) + "-" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "out");
    for (int i = 0; i < 4; ++i) {
      const int w = 120 + 17 * i, h = 90 + 11 * i;
      GrayImage g{w, h, GenerateFingerprint(w, h, static_cast<std::uint64_t>(i + 1))};
      write(dir_ / ("print" + std::to_string(i) + ".pgm"), FormatPgm(g));
    }
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  int run(int (*command)(const std::vector<std::string>&), std::vector<std::string> args) {
    testing::internal::CaptureStderr();
    const int status = command(args);
    err_ = testing::internal::GetCapturedStderr();
    return status;
  }

  fs::path dir_;
  std::string err_;
};

TEST_F(WsqTool, BatchesGiveTheSameFilesAsSingleRuns) {
  std::vector<std::string> inputs;
  for (int i = 0; i < 4; ++i) inputs.push_back(path("print" + std::to_string(i) + ".pgm"));
  std::vector<std::string> batch = {"-j", "3", "-o", path("out")};
  batch.insert(batch.end(), inputs.begin(), inputs.end());
  ASSERT_EQ(run(EncodeCommand, batch), 0) << err_;

  std::vector<std::string> decode_batch = {"-j", "2", "-o", path("out")};
  for (int i = 0; i < 4; ++i) {
    const std::string name = "print" + std::to_string(i);
    ASSERT_EQ(run(EncodeCommand, {inputs[static_cast<std::size_t>(i)], path(name + ".single.wsq")}), 0);
    EXPECT_EQ(read(path("out/" + name + ".wsq")), read(path(name + ".single.wsq")));
    decode_batch.push_back(path("out/" + name + ".wsq"));
  }
  ASSERT_EQ(run(DecodeCommand, decode_batch), 0) << err_;
  for (int i = 0; i < 4; ++i) {
    const std::string name = "print" + std::to_string(i);
    ASSERT_EQ(run(DecodeCommand, {path(name + ".single.wsq"), path(name + ".single.pgm")}), 0);
    EXPECT_EQ(read(path("out/" + name + ".pgm")), read(path(name + ".single.pgm")));
  }
}

TEST_F(WsqTool, OptionsReachTheEncoderAndRawPixelsWork) {
  std::string error;
  const std::vector<std::uint8_t> pgm = read(path("print1.pgm"));
  const auto image = ParsePgm(pgm, error);
  ASSERT_TRUE(image);
  write(path("print1.raw"), image->pixels);
  ASSERT_EQ(run(EncodeCommand, {"-b", "1.5", "-p", "1000", "-c", "scanner 7", "-s",
                                "137x101", path("print1.raw"), path("raw.wsq")}),
            0)
      << err_;
  const std::vector<std::uint8_t> file = read(path("raw.wsq"));
  codec::CodecBytes pixels;
  int w, h, d, ppi, l, e, s;
  ASSERT_EQ(codec::wsq_decode_mem(pixels, &w, &h, &d, &ppi, &l, &e, &s, file.data(), file.size()), 0);
  EXPECT_EQ(ppi, 1000);
  EXPECT_EQ(std::string(file.begin(), file.end()).find("WSQ_BITRATE 1.500000") != std::string::npos, true);
  EXPECT_NE(std::string(file.begin(), file.end()).find("scanner 7"), std::string::npos);
  // Raw output: the bare pixels.
  ASSERT_EQ(run(DecodeCommand, {path("raw.wsq"), path("back.raw")}), 0);
  EXPECT_EQ(read(path("back.raw")).size(), 137u * 101u);
}

TEST_F(WsqTool, FailuresAreNamedAndLeaveNoFiles) {
  write(path("broken.wsq"), {0xFF, 0xA0, 0xFF});
  write(path("tiny.pgm"), FormatPgm(GrayImage{10, 10, std::vector<std::uint8_t>(100, 7)}));
  ASSERT_EQ(run(EncodeCommand, {path("print0.pgm"), path("good.wsq")}), 0);

  // One bad file in a batch: the others are still written, the status says something failed.
  EXPECT_EQ(run(DecodeCommand, {"-o", path("out"), path("broken.wsq"), path("good.wsq")}), 1);
  EXPECT_NE(err_.find("broken.wsq"), std::string::npos);
  EXPECT_NE(err_.find("ERROR : getc_bytes : premature End Of Buffer"), std::string::npos);
  EXPECT_TRUE(fs::exists(path("out/good.pgm")));
  EXPECT_FALSE(fs::exists(path("out/broken.pgm")));

  // An encoder failure (too few pixels for a file) leaves nothing behind.
  EXPECT_EQ(run(EncodeCommand, {path("tiny.pgm"), path("tiny.wsq")}), 1);
  EXPECT_NE(err_.find("tiny.pgm"), std::string::npos);
  for (const auto& entry : fs::directory_iterator(dir_)) {
    EXPECT_EQ(entry.path().filename().string().find("tiny.wsq"), std::string::npos);
  }
  // A file that is not a PGM, a missing input, bad options.
  EXPECT_EQ(run(EncodeCommand, {path("good.wsq"), path("x.wsq")}), 1);
  EXPECT_EQ(run(DecodeCommand, {path("missing.wsq"), path("x.pgm")}), 1);
  EXPECT_EQ(run(EncodeCommand, {"-b", "zero", path("print0.pgm"), path("x.wsq")}), 2);
  EXPECT_EQ(run(DecodeCommand, {path("good.wsq")}), 2);
  EXPECT_FALSE(fs::exists(path("x.wsq")));
  EXPECT_FALSE(fs::exists(path("x.pgm")));
}

TEST_F(WsqTool, InfoListsFactsEntriesAndSegments) {
  ASSERT_EQ(run(EncodeCommand, {path("print2.pgm"), path("info.wsq")}), 0);
  testing::internal::CaptureStdout();
  ASSERT_EQ(InfoCommand({path("info.wsq")}), 0);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out.rfind("width: 154\nheight: 112\nppi: 500\nencoder: 2\nsoftware: 0\nNIST_COM: 9\n", 0),
            0u)
      << out;
  EXPECT_NE(out.find("PIX_WIDTH: 154\n"), std::string::npos);
  EXPECT_NE(out.find("segment: SOI 0 2\n"), std::string::npos);
  EXPECT_NE(out.find("segment: DTT "), std::string::npos);
  EXPECT_NE(out.find("segment: data "), std::string::npos);
  EXPECT_EQ(out.substr(out.size() - 1), "\n");
  EXPECT_NE(out.find("segment: EOI "), std::string::npos);
}

// Records the largest allocation the codec asks for, failing none.
bool record_largest(std::uint64_t, std::size_t bytes, void* largest) {
  auto* l = static_cast<std::size_t*>(largest);
  if (bytes > *l) *l = bytes;
  return false;
}

// The headers of a frame of width x height with a NIST_COM comment, then one block whose
// coded data stops after a few bytes, without EOI.
std::vector<std::uint8_t> header_only_file(unsigned width, unsigned height) {
  using namespace wsq_test;
  Bytes f = soi();
  append(f, comment("NIST_COM 3\nPIX_WIDTH " + std::to_string(width) + "\nPPI 500"));
  append(f, standard_dtt());
  append(f, dqt({0, 1, 2, 3}));
  append(f, sof(width, height));
  append(f, dht(0, {0, 1}, {180}));
  append(f, sob(0));
  append(f, {0x12, 0x34, 0x56});
  return f;
}

TEST_F(WsqTool, InfoReadsTheHeadersWithoutDecoding) {
  // Large frames whose coded data is cut short: the facts come from the headers, in a few
  // small allocations, whatever the frame size.
  for (const auto& [w, h] : std::vector<std::pair<unsigned, unsigned>>{{2000, 1600}, {65535, 65535}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    const std::vector<std::uint8_t> file = header_only_file(w, h);
    write(path("big.wsq"), file);
    std::size_t largest = 0;
    codec::codec_reset_alloc_counters();
    codec::codec_set_alloc_fail_hook(record_largest, &largest);
    testing::internal::CaptureStdout();
    const int status = run(InfoCommand, {path("big.wsq")});
    const std::string out = testing::internal::GetCapturedStdout();
    codec::codec_set_alloc_fail_hook(nullptr, nullptr);
    ASSERT_EQ(status, 0) << err_;
    EXPECT_EQ(err_, "");
    EXPECT_EQ(out.rfind("width: " + std::to_string(w) + "\nheight: " + std::to_string(h) +
                            "\nppi: 500\nencoder: 2\nsoftware: 0\nNIST_COM: 3\n",
                        0),
              0u)
        << out;
    EXPECT_NE(out.find("segment: SOB "), std::string::npos);
    EXPECT_NE(out.find("segment: data " + std::to_string(file.size() - 3) + " 3\n"),
              std::string::npos)
        << out;
    EXPECT_LT(largest, std::size_t{64} << 10);
    EXPECT_LT(codec::codec_alloc_calls(), 40u);
    EXPECT_EQ(codec::codec_live_allocations(), 0);
  }
  // A header that cannot be read is still refused.
  const std::vector<std::uint8_t> file = header_only_file(100, 100);
  write(path("cut.wsq"), std::vector<std::uint8_t>(file.begin(), file.begin() + 40));
  EXPECT_EQ(run(InfoCommand, {path("cut.wsq")}), 1);
  EXPECT_NE(err_.find("cut.wsq"), std::string::npos);
}

// Lines of the reference error corpus: file name and the first line of its message.
std::vector<std::pair<std::string, std::string>> corpus_errors() {
  std::vector<std::pair<std::string, std::string>> rows;
  std::ifstream list(std::string(RIDGEVIEW_VECTORS_DIR) + "/errors/expected.tsv");
  std::string line;
  std::getline(list, line);  // header
  while (std::getline(list, line)) {
    const std::size_t a = line.find('\t'), b = line.find('\t', a + 1);
    if (a == std::string::npos || b == std::string::npos) continue;
    std::string message = line.substr(b + 1);
    message = message.substr(0, message.find("\\n"));  // the C escape of the line end
    rows.emplace_back(line.substr(0, a), message);
  }
  return rows;
}

TEST_F(WsqTool, CheckPrintsOneLinePerFileInOrder) {
  ASSERT_EQ(run(EncodeCommand, {path("print3.pgm"), path("good.wsq")}), 0);
  // A DHT segment naming slot 0 twice fails without a message of its own.
  wsq_test::Bytes twice = wsq_test::dht_table(0, {1}, {5});
  wsq_test::append(twice, wsq_test::dht_table(0, {1}, {9}));
  wsq_test::Bytes silent = wsq_test::soi();
  wsq_test::append(silent, wsq_test::segment(0xFFA6, twice));
  write(path("silent.wsq"), silent);

  std::vector<std::string> args = {"-j", "2", path("good.wsq")};
  std::string want = path("good.wsq") + ": ok\n";
  const auto corpus = corpus_errors();
  ASSERT_GE(corpus.size(), 20u);
  for (const auto& [name, message] : corpus) {
    const std::string file = std::string(RIDGEVIEW_VECTORS_DIR) + "/errors/" + name;
    args.push_back(file);
    want += file + ": " + message + "\n";
  }
  args.push_back(path("missing.wsq"));
  want += path("missing.wsq") + ": cannot open: " + std::strerror(ENOENT) + "\n";
  args.push_back(path("silent.wsq"));
  want += path("silent.wsq") + ": code -2, no message\n";
  args.push_back(path("good.wsq"));
  want += path("good.wsq") + ": ok\n";

  testing::internal::CaptureStdout();
  EXPECT_EQ(run(CheckCommand, args), 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), want);
  EXPECT_EQ(err_, "");  // the messages are in the lines, not on stderr as well

  testing::internal::CaptureStdout();
  EXPECT_EQ(run(CheckCommand, {path("good.wsq")}), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), path("good.wsq") + ": ok\n");
  EXPECT_EQ(run(CheckCommand, {}), 2);
  EXPECT_EQ(run(CheckCommand, {"-o", path("out"), path("good.wsq")}), 2);
}

int FailingFsync(int) {
  errno = EIO;
  return -1;
}

TEST_F(WsqTool, StagedOutputsAreAllCommittedAndFailedCommitsNamed) {
  base::AtomicWriteOps noSync = base::DefaultAtomicWriteOps();
  noSync.fsync = FailingFsync;
  constexpr std::size_t kJobs = 40;
  const std::vector<JobResult> results = RunJobs(kJobs, 3, [&](std::size_t i) {
    JobResult r;
    const std::vector<std::uint8_t> bytes(100 + i, static_cast<std::uint8_t>(i));
    const fs::path out = dir_ / "out" / ("f" + std::to_string(i));
    EXPECT_TRUE(r.output.Stage(out, bytes, i % 10 == 7 ? noSync : base::DefaultAtomicWriteOps()));
    r.commit_failure = "job " + std::to_string(i) + ": ";
    return r;
  });
  ASSERT_EQ(results.size(), kJobs);
  for (std::size_t i = 0; i < kJobs; ++i) {
    const fs::path out = dir_ / "out" / ("f" + std::to_string(i));
    if (i % 10 == 7) {
      EXPECT_FALSE(results[i].ok);
      EXPECT_EQ(results[i].messages, "job " + std::to_string(i) + ": " + std::strerror(EIO) + "\n");
      EXPECT_FALSE(fs::exists(out));
    } else {
      EXPECT_TRUE(results[i].ok);
      EXPECT_EQ(read(out), std::vector<std::uint8_t>(100 + i, static_cast<std::uint8_t>(i)));
    }
  }
  // Nothing but the committed outputs is left in the folder.
  EXPECT_EQ(static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_ / "out"),
                                                   fs::directory_iterator())),
            kJobs - 4);
}

TEST(WsqToolParts, SizesAndOutputNames) {
  int w = 0, h = 0;
  EXPECT_TRUE(ParseSize("500x400", w, h));
  EXPECT_EQ(w, 500);
  EXPECT_EQ(h, 400);
  EXPECT_FALSE(ParseSize("0x400", w, h));
  EXPECT_FALSE(ParseSize("65536x1", w, h));
  EXPECT_FALSE(ParseSize("12x", w, h));
  EXPECT_EQ(BatchOutputPath("out", "/a/b/scan.v2.pgm", ".wsq"), "out/scan.v2.wsq");
  EXPECT_EQ(BatchOutputPath("out", "noext", ".pgm"), "out/noext.pgm");
}

}  // namespace
}  // namespace ridgeview::tools

namespace ridgeview::tools {
namespace {

// Every thread count, given with -t, writes the same files as one thread; a bad count is
// refused before anything is read.
TEST(WsqToolThreads, EveryThreadCountWritesTheSameFiles) {
  const fs::path dir = fs::temp_directory_path() / ("ridgeview-wsq-threads-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const int w = 1100, h = 700;  // large enough for the codec to split its passes
  write(dir / "big.pgm", FormatPgm(GrayImage{w, h, GenerateFingerprint(w, h, 9)}));
  std::vector<std::vector<std::uint8_t>> encoded, decoded;
  for (const char* threads : {"1", "2", "3", "0"}) {
    const std::string wsq = (dir / (std::string("t") + threads + ".wsq")).string();
    const std::string pgm = (dir / (std::string("t") + threads + ".pgm")).string();
    ASSERT_EQ(EncodeCommand({"-t", threads, (dir / "big.pgm").string(), wsq}), 0) << threads;
    ASSERT_EQ(DecodeCommand({"-t", threads, wsq, pgm}), 0) << threads;
    encoded.push_back(read(wsq));
    decoded.push_back(read(pgm));
  }
  for (std::size_t i = 1; i < encoded.size(); ++i) {
    EXPECT_EQ(encoded[i], encoded[0]) << i;
    EXPECT_EQ(decoded[i], decoded[0]) << i;
  }
  // The PGM written in two pieces (header, pixels) is one valid image of the pixels.
  std::string error;
  const std::optional<GrayImage> back = ParsePgm(decoded[0], error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(back->width, w);
  EXPECT_EQ(back->height, h);

  testing::internal::CaptureStderr();
  EXPECT_EQ(DecodeCommand({"-t", "-1", (dir / "t1.wsq").string(), (dir / "x.pgm").string()}), 2);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("-t needs"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir / "x.pgm"));
  fs::remove_all(dir);
}

// Files are read whole whatever they are: empty, large, or a pipe with no size to tell.
TEST(WsqToolParts, WholeFilesAndPipesAreReadCompletely) {
  const fs::path dir = fs::temp_directory_path() / ("ridgeview-wsq-read-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::vector<std::uint8_t> big((std::size_t{3} << 20) + 5);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 13);
  write(dir / "big.bin", big);
  write(dir / "empty.bin", {});
  FileBytes bytes;
  std::string error;
  ASSERT_TRUE(ReadWholeFile((dir / "big.bin").string(), bytes, error)) << error;
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), big.begin(), big.end()));
  ASSERT_TRUE(ReadWholeFile((dir / "empty.bin").string(), bytes, error)) << error;
  EXPECT_TRUE(bytes.empty());
  EXPECT_FALSE(ReadWholeFile((dir / "missing.bin").string(), bytes, error));
  EXPECT_NE(error.find("cannot open"), std::string::npos);

  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
  std::thread writer([&] { write(dir / "pipe", big); });
  ASSERT_TRUE(ReadWholeFile((dir / "pipe").string(), bytes, error)) << error;
  writer.join();
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), big.begin(), big.end()));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace ridgeview::tools

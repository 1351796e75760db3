// `info --json` and `check --json`: one JSON object per file and line, strings escaped so that
// any file name and any comment text give valid JSON.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "codec/decode/wsq_builder.h"
#include "tools/ridgeview-wsq/commands.h"
#include "tools/ridgeview-wsq/json_text.h"

namespace ridgeview::tools {
namespace {

namespace fs = std::filesystem;

TEST(JsonString, EscapesWhatJsonRequires) {
  EXPECT_EQ(JsonString(""), "\"\"");
  EXPECT_EQ(JsonString("say \"hi\" \\ /"), "\"say \\\"hi\\\" \\\\ /\"");
  EXPECT_EQ(JsonString("a\nb\tc\rd\be\ff"), "\"a\\nb\\tc\\rd\\be\\ff\"");
  EXPECT_EQ(JsonString(std::string("\x01\x1f\x7f", 3)), "\"\\u0001\\u001f\x7f\"");
  EXPECT_EQ(JsonString(std::string("nul\0end", 7)), "\"nul\\u0000end\"");
}

TEST(JsonString, KeepsUtf8AndReplacesOtherBytes) {
  // Two, three and four byte sequences pass through.
  EXPECT_EQ(JsonString("caf\xc3\xa9 \xe2\x82\xac \xf0\x9d\x84\x9e"),
            "\"caf\xc3\xa9 \xe2\x82\xac \xf0\x9d\x84\x9e\"");
  // A Latin-1 byte, an overlong form, an encoded surrogate, a sequence cut short by the end,
  // a code point above U+10FFFF: each byte that belongs to no valid sequence is replaced.
  EXPECT_EQ(JsonString("caf\xe9"), "\"caf\\ufffd\"");
  EXPECT_EQ(JsonString("\xc0\xaf"), "\"\\ufffd\\ufffd\"");
  EXPECT_EQ(JsonString("\xed\xa0\x80"), "\"\\ufffd\\ufffd\\ufffd\"");
  EXPECT_EQ(JsonString("x\xe2\x82"), "\"x\\ufffd\\ufffd\"");
  EXPECT_EQ(JsonString("\xf4\x90\x80\x80"), "\"\\ufffd\\ufffd\\ufffd\\ufffd\"");
}

TEST(JsonObject, MembersInOrderOnOneLine) {
  EXPECT_EQ(JsonObject().Text(), "{}");
  EXPECT_EQ(JsonObject().Add("a", "x").Add("n", -7).AddNull("z").AddRaw("l", "[1, 2]").Text(),
            "{\"a\": \"x\", \"n\": -7, \"z\": null, \"l\": [1, 2]}");
}

class JsonCommands : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("ridgeview-json-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string write(const std::string& name, const wsq_test::Bytes& bytes) {
    const fs::path p = dir_ / name;
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return p.string();
  }

  // Runs a command; its stdout, and its status in `status`.
  std::string run(int (*command)(const std::vector<std::string>&),
                  const std::vector<std::string>& args, int& status) {
    testing::internal::CaptureStdout();
    status = command(args);
    return testing::internal::GetCapturedStdout();
  }

  fs::path dir_;
};

// A 100 x 80 frame's headers with the given NIST_COM text, and EOI: enough for info.
wsq_test::Bytes headers_with(const std::string& nistcom) {
  using namespace wsq_test;
  Bytes f = soi();                          // 0, 2 bytes
  append(f, comment(nistcom));              // 2
  append(f, standard_dtt());
  append(f, dqt({0}));
  append(f, sof(100, 80));
  append(f, eoi());
  return f;
}

TEST_F(JsonCommands, AwkwardNamesAndCommentsGiveValidJson) {
  const std::string text = "NIST_COM 3\nPPI 500\nNOTE say \"hi\" \\ \x01 caf\xe9\tend";
  const wsq_test::Bytes file = headers_with(text);
  const std::string path = write("a \"quoted\" \\ name\n.wsq", file);
  int status = -1;
  const std::string out = run(InfoCommand, {"--json", path}, status);
  EXPECT_EQ(status, 0);
  const std::string comment_end = std::to_string(2 + 4 + text.size());
  const std::string want =
      "{\"file\": " + JsonString(path) + ", \"size\": " + std::to_string(file.size()) +
      ", \"width\": 100, \"height\": 80, \"ppi\": 500, \"encoder\": 2, \"software\": 0, "
      "\"nistcom\": [{\"name\": \"NIST_COM\", \"value\": \"3\"}, "
      "{\"name\": \"PPI\", \"value\": \"500\"}, "
      "{\"name\": \"NOTE\", \"value\": \"say \\\"hi\\\" \\\\ \\u0001 caf\\ufffd\\tend\"}], "
      "\"segments\": [{\"marker\": \"SOI\", \"offset\": 0, \"length\": 2}, "
      "{\"marker\": \"COM\", \"offset\": 2, \"length\": " + std::to_string(4 + text.size()) + "}, "
      "{\"marker\": \"DTT\", \"offset\": " + comment_end + ", \"length\": 60}, ";
  EXPECT_EQ(out.substr(0, want.size()), want);
  const std::string tail = "{\"marker\": \"EOI\", \"offset\": " +
                           std::to_string(file.size() - 2) + ", \"length\": 2}]}\n";
  ASSERT_GT(out.size(), tail.size());
  EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1);  // JSON Lines: one line per file
  EXPECT_EQ(JsonString(path).find('\n'), std::string::npos);
}

TEST_F(JsonCommands, FailuresCarryCodeNameAndMessage) {
  const std::string vectors = std::string(RIDGEVIEW_VECTORS_DIR) + "/";
  const std::string no_soi = vectors + "errors/no_soi.wsq";
  // Headers intact, coded data cut short: info reads it, check does not.
  const std::string cut = vectors + "errors/cut_04092.wsq";
  const std::string good = vectors + "print_419x331.wsq";
  const std::string missing = (dir_ / "missing.wsq").string();
  int status = -1;
  const std::string info = run(InfoCommand, {"--json", no_soi, cut, good, missing}, status);
  EXPECT_EQ(status, 1);
  const std::string no_soi_line =
      "{\"file\": " + JsonString(no_soi) +
      ", \"code\": -88, \"name\": \"WSQ_NO_SOI\", "
      "\"message\": \"ERROR : getc_marker_wsq : No SOI marker. {FFA1}\\n\"}\n";
  const std::string missing_line = "{\"file\": " + JsonString(missing) +
                                   ", \"code\": null, \"name\": \"UNREADABLE\", "
                                   "\"message\": \"cannot open: No such file or directory\"}\n";
  std::vector<std::string> lines;
  for (std::size_t at = 0, end; (end = info.find('\n', at)) != std::string::npos; at = end + 1) {
    lines.push_back(info.substr(at, end + 1 - at));
  }
  ASSERT_EQ(lines.size(), 4u) << info;
  EXPECT_EQ(lines[0], no_soi_line);
  EXPECT_EQ(lines[1].rfind("{\"file\": " + JsonString(cut) + ", \"size\": 4092, \"width\": ", 0), 0u);
  EXPECT_EQ(lines[2].rfind("{\"file\": " + JsonString(good) + ", \"size\": ", 0), 0u);
  EXPECT_EQ(lines[3], missing_line);

  // check decodes: the cut file fails there, with the last line of its message; a file that
  // decodes gets the same object as from info.
  const std::string check = run(CheckCommand, {"--json", "-j", "2", no_soi, cut, good, missing},
                                status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(check, no_soi_line +
                       "{\"file\": " + JsonString(cut) +
                       ", \"code\": -39, \"name\": \"WSQ_END_OF_BUFFER_BYTE\", "
                       "\"message\": \"ERROR : getc_byte : premature End Of Buffer\\n\"}\n" +
                       lines[2] + missing_line);
  // Without --json the text stays what it was.
  EXPECT_EQ(run(CheckCommand, {good}, status), good + ": ok\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(run(InfoCommand, {"--json"}, status), "");
  EXPECT_NE(testing::internal::GetCapturedStderr().find("usage:"), std::string::npos);
  EXPECT_EQ(status, 2);
}

}  // namespace
}  // namespace ridgeview::tools

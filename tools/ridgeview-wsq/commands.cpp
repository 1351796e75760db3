#include "tools/ridgeview-wsq/commands.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>

#include "base/atomic_file.h"
#include "ridgeview/wsq.h"
#include "tools/ridgeview-wsq/batch.h"
#include "tools/ridgeview-wsq/gray_image_io.h"
#include "tools/ridgeview-wsq/progress_line.h"
#include "tools/ridgeview-wsq/wsq_info.h"

namespace ridgeview::tools {
namespace {

// Options shared by encode and decode; `inputs` are the remaining arguments.
struct Options {
  std::string out_dir;          // -o DIR (batch mode)
  unsigned threads = 0;         // -j N: files at once (0: all cores)
  int codec_threads = -1;       // -t N: threads of one codec call (-1: not given)
  float bit_rate = 0.75f;       // -b
  int ppi = 500;                // -p
  std::optional<std::string> comment = std::string();  // -c (default: empty text)
  int raw_width = 0, raw_height = 0;                    // -s WIDTHxHEIGHT
  bool quiet = false;            // -q: no progress line
  bool json = false;             // --json (check)
  std::vector<std::string> inputs;
  // Whether the codec's freed work blocks stay for the next file of a batch (fewer fresh
  // pages) or go back to the system as soon as the file is coded (lower peak for one file).
  bool keep_codec_memory = false;
  // The batch's progress line, through which messages reach stderr while it runs.
  ProgressLine* progress = nullptr;
};

bool parse_int(const std::string& s, int& out) {
  auto r = std::from_chars(s.data(), s.data() + s.size(), out);
  return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

// Parses the options a command accepts ("bpcs" for encode, "" for decode; -o, -j and -q
// always; --json where `json` allows it).
bool parse_options(const std::vector<std::string>& args, const std::string& accepted,
                   Options& o, bool json = false) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "-q") {
      o.quiet = true;
      continue;
    }
    if (a == "--json" && json) {
      o.json = true;
      continue;
    }
    if (a.size() != 2 || a[0] != '-') {
      o.inputs.push_back(a);
      continue;
    }
    const char flag = a[1];
    if (flag != 'o' && flag != 'j' && flag != 't' &&
        accepted.find(flag) == std::string::npos) {
      std::cerr << "ridgeview-wsq: unknown option " << a << "\n";
      return false;
    }
    if (i + 1 >= args.size()) {
      std::cerr << "ridgeview-wsq: option " << a << " needs a value\n";
      return false;
    }
    const std::string& v = args[++i];
    int n = 0;
    switch (flag) {
      case 'o':
        o.out_dir = v;
        break;
      case 'j':
        if (!parse_int(v, n) || n < 1 || n > 1024) {
          std::cerr << "ridgeview-wsq: -j needs a thread count of 1 to 1024\n";
          return false;
        }
        o.threads = static_cast<unsigned>(n);
        break;
      case 't':
        if (!parse_int(v, n) || n < 0 || n > 1024) {
          std::cerr << "ridgeview-wsq: -t needs a thread count of 0 (all) to 1024\n";
          return false;
        }
        o.codec_threads = n;
        break;
      case 'b': {
        char* end = nullptr;
        const double r = std::strtod(v.c_str(), &end);
        if (end == v.c_str() || *end != '\0' || !(r > 0.0) || r > 8.0) {
          std::cerr << "ridgeview-wsq: -b needs a bit rate above 0 and at most 8\n";
          return false;
        }
        o.bit_rate = static_cast<float>(r);
        break;
      }
      case 'p':
        if (!parse_int(v, o.ppi)) {
          std::cerr << "ridgeview-wsq: -p needs a whole number\n";
          return false;
        }
        break;
      case 'c':
        o.comment = v;
        break;
      case 's':
        if (!ParseSize(v, o.raw_width, o.raw_height)) {
          std::cerr << "ridgeview-wsq: -s needs WIDTHxHEIGHT, each 1..65535\n";
          return false;
        }
        break;
    }
  }
  return true;
}

// Pairs of (input, output): "IN OUT" or, with -o DIR, every input into DIR.
bool plan_outputs(const Options& o, const char* extension, const char* usage,
                  std::vector<std::pair<std::string, std::string>>& jobs) {
  if (o.out_dir.empty()) {
    if (o.inputs.size() != 2) {
      std::cerr << usage;
      return false;
    }
    jobs.emplace_back(o.inputs[0], o.inputs[1]);
    return true;
  }
  if (o.inputs.empty()) {
    std::cerr << usage;
    return false;
  }
  for (const std::string& in : o.inputs) {
    jobs.emplace_back(in, BatchOutputPath(o.out_dir, in, extension));
  }
  return true;
}

// Runs the jobs (in parallel in batch mode) and prints their messages to `out` in input
// order: each failure with its file name.
int run_all(const Options& options,
            const std::vector<std::pair<std::string, std::string>>& jobs,
            JobResult (*one)(const Options&, const std::string&, const std::string&),
            std::ostream& out = std::cerr) {
  Options o = options;
  o.keep_codec_memory = jobs.size() > 1;
  const unsigned threads = o.threads != 0 ? o.threads : DefaultThreads();
  std::vector<JobResult> results;
  {
    ProgressLine progress(jobs.size(), jobs.size() > 1 && !o.quiet && StderrIsTerminal());
    o.progress = &progress;
    results = RunJobs(
        jobs.size(), threads, [&](std::size_t i) { return one(o, jobs[i].first, jobs[i].second); },
        [&] { progress.FileDone(); });
  }  // the line is gone before the results are printed
  int failed = 0;
  for (const JobResult& r : results) {
    out << r.messages;
    failed += r.ok ? 0 : 1;
  }
  return failed == 0 ? 0 : 1;
}

// The codec's messages go to stderr as soon as its call returns, as they always have (above
// a batch's progress line); a failed job adds a line naming the file, printed in input order
// once all jobs are done.
void show_codec_messages(ProgressLine* progress, const ridgeview_wsq_error& error) {
  if (error.message[0] == '\0') return;
  if (progress != nullptr) {
    progress->Write(error.message);
  } else {
    std::fputs(error.message, stderr);
  }
}

// The threads one codec call may use: -t when given; else every core for a single file, and
// one for a file of a batch, which already keeps every core busy with files.
int call_threads(const Options& o) {
  if (o.codec_threads >= 0) return o.codec_threads;
  return o.keep_codec_memory ? 1 : 0;
}

// Memory the codec keeps for a next call goes back to the system unless a batch goes on.
void after_codec_call(const Options& o) {
  if (!o.keep_codec_memory) ridgeview_wsq_release_cached_memory();
}

JobResult failure(const std::string& file, const std::string& why) {
  return JobResult::Failed("ridgeview-wsq: " + file + ": " + why + "\n");
}

// The output appears complete or not at all; a failed write leaves no partial file. The
// bytes are written here and the file is flushed and put in place by RunJobs.
JobResult write_output(const std::string& in, const std::string& out,
                       std::span<const std::uint8_t> head, std::span<const std::uint8_t> body = {}) {
  const std::string why = "ridgeview-wsq: " + in + ": cannot write " + out + ": ";
  JobResult r;
  const std::span<const std::uint8_t> pieces[] = {head, body};
  if (!r.output.Stage(out, pieces, base::DefaultAtomicWriteOps())) {
    return JobResult::Failed(why + std::strerror(errno) + "\n");
  }
  r.commit_failure = why;
  return r;
}

JobResult decode_one(const Options& o, const std::string& in, const std::string& out) {
  FileBytes file;
  std::string error;
  if (!ReadWholeFile(in, file, error)) return failure(in, error);
  ridgeview_wsq_image image{};
  ridgeview_wsq_error codec_error;
  const int ret =
      ridgeview_wsq_decode(file.data(), file.size(), call_threads(o), &image, &codec_error);
  show_codec_messages(o.progress, codec_error);
  after_codec_call(o);
  if (ret != 0) return failure(in, "cannot decode (code " + std::to_string(ret) + ")");
  const std::unique_ptr<unsigned char, void (*)(void*)> pixels(image.pixels, ridgeview_wsq_free);
  const std::size_t count =
      static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
  const bool raw = out.size() >= 4 && out.compare(out.size() - 4, 4, ".raw") == 0;
  const std::string header = raw ? std::string() : PgmHeader(image.width, image.height);
  // The header and the codec's pixels go to the file as they are, without a copy.
  return write_output(in, out,
                      {reinterpret_cast<const std::uint8_t*>(header.data()), header.size()},
                      {pixels.get(), count});
}

JobResult encode_one(const Options& o, const std::string& in, const std::string& out) {
  FileBytes file;
  std::string error;
  if (!ReadWholeFile(in, file, error)) return failure(in, error);
  // The codec reads the pixels where they lie in the file's bytes.
  PgmLayout image{o.raw_width, o.raw_height, 0};
  if (o.raw_width > 0) {
    const std::size_t count =
        static_cast<std::size_t>(o.raw_width) * static_cast<std::size_t>(o.raw_height);
    if (file.size() != count) {
      return failure(in, "raw file holds " + std::to_string(file.size()) + " bytes, not " +
                             std::to_string(count));
    }
  } else {
    std::optional<PgmLayout> parsed = ParsePgmHeader(file, error);
    if (!parsed) return failure(in, error);
    image = *parsed;
  }
  unsigned char* data = nullptr;
  std::size_t length = 0;
  ridgeview_wsq_error codec_error;
  const int ret = ridgeview_wsq_encode(file.data() + image.offset, image.width, image.height,
                                       o.bit_rate, o.ppi, o.comment ? o.comment->c_str() : nullptr,
                                       call_threads(o), &data, &length, &codec_error);
  show_codec_messages(o.progress, codec_error);
  after_codec_call(o);
  if (ret != 0) return failure(in, "cannot encode (code " + std::to_string(ret) + ")");
  const std::unique_ptr<unsigned char, void (*)(void*)> wsq(data, ridgeview_wsq_free);
  file = FileBytes();
  return write_output(in, out, std::span<const std::uint8_t>(wsq.get(), length));
}

// The line of a failure in `check`: the last line of the codec's message (the one that came
// with the failure code; warnings come before it), without its line end.
std::string FailureLine(const std::string& message) {
  std::string line = message;
  if (!line.empty() && line.back() == '\n') line.pop_back();
  const std::size_t start = line.rfind('\n');
  return start == std::string::npos ? line : line.substr(start + 1);
}

// Decodes the whole file; its line says "ok" or gives the codec's message, which is taken
// from the codec instead of going to stderr.
JobResult check_one(const Options& o, const std::string& in, const std::string&) {
  FileBytes file;
  std::string error;
  if (!ReadWholeFile(in, file, error)) {
    return JobResult::Failed((o.json ? UnreadableJson(in, error) : in + ": " + error) + "\n");
  }
  ridgeview_wsq_image image{};
  ridgeview_wsq_error codec_error;
  const int ret =
      ridgeview_wsq_decode(file.data(), file.size(), call_threads(o), &image, &codec_error);
  ridgeview_wsq_free(image.pixels);
  after_codec_call(o);
  if (o.json) {
    JobResult r;
    r.ok = ret == 0 && DescribeWsqJson(in, file, r.messages) == 0;
    if (ret != 0) r.messages = FailureJson(in, ret, codec_error.message);
    r.messages += "\n";
    return r;
  }
  if (ret == 0) {
    JobResult r;
    r.messages = in + ": ok\n";
    return r;
  }
  std::string why = FailureLine(codec_error.message);
  if (why.empty()) why = "code " + std::to_string(ret) + ", no message";
  return JobResult::Failed(in + ": " + why + "\n");
}

// info --json IN...: one JSON object per file on stdout, in input order.
int InfoJsonCommand(const std::vector<std::string>& inputs) {
  int status = 0;
  for (const std::string& in : inputs) {
    FileBytes file;
    std::string error, json;
    if (!ReadWholeFile(in, file, error)) {
      json = UnreadableJson(in, error);
      status = 1;
    } else if (DescribeWsqJson(in, file, json) != 0) {
      status = 1;
    }
    std::cout << json << "\n";
  }
  return status;
}

}  // namespace

int DecodeCommand(const std::vector<std::string>& args) {
  static const char* usage =
      "usage: ridgeview-wsq decode [-t N] IN.wsq OUT.pgm|OUT.raw\n"
      "       ridgeview-wsq decode [-t N] [-q] [-j N] -o DIR IN.wsq...\n";
  Options o;
  std::vector<std::pair<std::string, std::string>> jobs;
  if (!parse_options(args, "", o) || !plan_outputs(o, ".pgm", usage, jobs)) return 2;
  return run_all(o, jobs, decode_one);
}

int EncodeCommand(const std::vector<std::string>& args) {
  static const char* usage =
      "usage: ridgeview-wsq encode [-b BITRATE] [-p PPI] [-c COMMENT] [-s WxH] [-t N] IN OUT.wsq\n"
      "       ridgeview-wsq encode [options] [-q] [-j N] -o DIR IN...\n";
  Options o;
  std::vector<std::pair<std::string, std::string>> jobs;
  if (!parse_options(args, "bpcs", o) || !plan_outputs(o, ".wsq", usage, jobs)) return 2;
  return run_all(o, jobs, encode_one);
}

int CheckCommand(const std::vector<std::string>& args) {
  static const char* usage =
      "usage: ridgeview-wsq check [--json] [-q] [-j N] [-t N] IN.wsq...\n";
  Options o;
  if (!parse_options(args, "", o, true)) return 2;
  if (!o.out_dir.empty() || o.inputs.empty()) {
    std::cerr << usage;
    return 2;
  }
  std::vector<std::pair<std::string, std::string>> jobs;
  for (const std::string& in : o.inputs) jobs.emplace_back(in, std::string());
  return run_all(o, jobs, check_one, std::cout);
}

int InfoCommand(const std::vector<std::string>& args) {
  std::vector<std::string> inputs;
  bool json = false;
  for (const std::string& a : args) {
    if (a == "--json") {
      json = true;
    } else {
      inputs.push_back(a);
    }
  }
  if (json && !inputs.empty()) return InfoJsonCommand(inputs);
  if (json || args.size() != 1) {
    std::cerr << "usage: ridgeview-wsq info IN.wsq\n"
                 "       ridgeview-wsq info --json IN.wsq...\n";
    return 2;
  }
  FileBytes file;
  std::string error;
  if (!ReadWholeFile(args[0], file, error)) {
    std::cerr << "ridgeview-wsq: " << args[0] << ": " << error << "\n";
    return 1;
  }
  std::string text;
  ridgeview_wsq_error codec_error;
  if (int ret = DescribeWsq(file, text, codec_error)) {
    show_codec_messages(nullptr, codec_error);
    std::cerr << "ridgeview-wsq: " << args[0] << ": cannot read (code " << ret << ")\n";
    return 1;
  }
  std::cout << text;
  return 0;
}

}  // namespace ridgeview::tools

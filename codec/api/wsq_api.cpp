// The public C API (ridgeview/wsq.h) over the codec. Each call clears the thread's
// allocation refusal and runs inside a ReportCapture, so what the codec writes ends up in the
// caller's error record instead of on stderr. No C++ exception crosses into the caller.
#include "ridgeview/wsq.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "base/large_pages.h"
#include "codec/common/codec_memory.h"
#include "codec/common/codes.h"
#include "codec/common/parallel.h"
#include "codec/common/report.h"
#include "codec/nistcom/fet.h"
#include "codec/wsq/decode/header_reader.h"
#include "codec/wsq/decode/wsq_decode.h"
#include "codec/wsq/encode/wsq_encode.h"
#include "codec/wsq/segment_list.h"
#include "codec/wsq/wsq.h"

namespace {

using namespace ridgeview::codec;

// The library's own failures, in the codec's style of message.
constexpr char kInvalidArgumentName[] = "RIDGEVIEW_WSQ_INVALID_ARGUMENT";
constexpr char kInvalidArgumentFormat[] = "ERROR : %s : invalid argument : %s\n";
constexpr char kNoMemoryName[] = "RIDGEVIEW_WSQ_NO_MEMORY";
constexpr char kNoMemoryFormat[] = "ERROR : %s : malloc : %s\n";

int invalid_argument(const char* function, const char* why) {
  report(kInvalidArgumentFormat, function, why);
  return RIDGEVIEW_WSQ_INVALID_ARGUMENT;
}

int no_memory(const char* function, const char* what) {
  report(kNoMemoryFormat, function, what);
  return RIDGEVIEW_WSQ_NO_MEMORY;
}

int refusal_of(AllocRefusal refusal) {
  switch (refusal) {
    case AllocRefusal::None: return RIDGEVIEW_WSQ_REFUSAL_NONE;
    case AllocRefusal::Budget: return RIDGEVIEW_WSQ_REFUSAL_BUDGET;
    case AllocRefusal::OutOfMemory:
    case AllocRefusal::Injected: return RIDGEVIEW_WSQ_REFUSAL_OUT_OF_MEMORY;
  }
  return RIDGEVIEW_WSQ_REFUSAL_NONE;
}

// Copies `text` into `message`. Text too long for it keeps its first whole lines, then
// "...\n", then its last line: the failure's own message comes last and must survive.
void set_message(char (&message)[sizeof(ridgeview_wsq_error::message)], const std::string& text) {
  constexpr std::size_t room = sizeof message - 1;
  if (text.size() <= room) {
    std::memcpy(message, text.c_str(), text.size() + 1);
    return;
  }
  static constexpr char kGap[] = "...\n";
  constexpr std::size_t gap = sizeof kGap - 1;
  const std::size_t last_start = text.rfind('\n', text.size() - 2);
  std::string last = last_start == std::string::npos ? text : text.substr(last_start + 1);
  if (last.size() > room - gap) last.erase(0, last.size() - (room - gap));
  std::size_t head = room - gap - last.size();
  const std::size_t head_end = text.rfind('\n', head == 0 ? 0 : head - 1);
  head = head_end == std::string::npos || head == 0 ? 0 : head_end + 1;
  const std::string kept = text.substr(0, head) + kGap + last;
  std::memcpy(message, kept.c_str(), kept.size() + 1);
}

void finish(ridgeview_wsq_error* error, int code, const ReportCapture& capture) {
  if (error == nullptr) return;
  error->code = code;
  error->refusal = code == 0 ? RIDGEVIEW_WSQ_REFUSAL_NONE : refusal_of(codec_last_refusal());
  try {
    set_message(error->message, capture.text());
  } catch (const std::bad_alloc&) {
    error->message[0] = '\0';
  }
}

// The library's side of every call: large work arrays from huge-page mappings and "all
// processors" meaning the processors this process may run on, set up once.
void prepare_codec() {
  static const bool prepared = [] {
    static const CodecBlockSource source{ridgeview::base::AllocateLargePages, ridgeview::base::ReleaseLargePages,
                                         ridgeview::base::kLargePageMinBytes};
    if (ridgeview::base::LargePagesInUse()) codec_set_block_source(&source);
    codec_set_default_threads(ridgeview::base::ProcessorsAvailable());
    return true;
  }();
  static_cast<void>(prepared);
}

// Runs one call: fresh refusal, captured messages, the error record filled afterwards.
template <class Call>
int run(ridgeview_wsq_error* error, const char* function, Call call) {
  prepare_codec();
  codec_clear_last_refusal();
  ReportCapture capture;
  int ret = 0;
  try {
    ret = call();
  } catch (const std::bad_alloc&) {
    ret = no_memory(function, "working memory");
  }
  finish(error, ret, capture);
  return ret;
}

// Threads a call may use: 0 (or less) for every processor available.
int thread_count(int threads) { return threads < 0 ? 0 : threads; }

// The names and message formats of each code value, several meanings joined by " | ".
struct CodeTexts {
  int value;
  std::string names;
  std::string messages;
};

void add_meaning(std::vector<CodeTexts>& texts, int value, const char* name,
                 const char* message) {
  CodeTexts* entry = nullptr;
  for (CodeTexts& t : texts) {
    if (t.value == value) entry = &t;
  }
  if (entry == nullptr) entry = &texts.emplace_back(CodeTexts{value, {}, {}});
  if (!entry->names.empty()) entry->names += " | ";
  entry->names += name;
  if (*message != '\0') {
    if (!entry->messages.empty()) entry->messages += " | ";
    entry->messages += message;
  }
}

const std::vector<CodeTexts>& code_texts() {
  static const std::vector<CodeTexts> texts = [] {
    std::vector<CodeTexts> t;
    for (const CodecCodeInfo& c : codec_code_table()) add_meaning(t, c.value, c.name, c.message);
    add_meaning(t, RIDGEVIEW_WSQ_INVALID_ARGUMENT, kInvalidArgumentName, kInvalidArgumentFormat);
    add_meaning(t, RIDGEVIEW_WSQ_NO_MEMORY, kNoMemoryName, kNoMemoryFormat);
    return t;
  }();
  return texts;
}

const CodeTexts* find_code(int code) {
  try {
    for (const CodeTexts& t : code_texts()) {
      if (t.value == code) return &t;
    }
  } catch (const std::bad_alloc&) {
  }
  return nullptr;
}

// A copy of `text` in codec memory, or null.
char* copy_text(const char* text) {
  const std::size_t n = std::strlen(text) + 1;
  auto* copy = static_cast<char*>(codec_malloc(n));
  if (copy != nullptr) std::memcpy(copy, text, n);
  return copy;
}

void free_lists(ridgeview_wsq_nistcom_entry* entries, std::size_t count,
                ridgeview_wsq_segment* segments) {
  if (entries != nullptr) {
    for (std::size_t i = 0; i < count; ++i) {
      codec_free(entries[i].name);
      codec_free(entries[i].value);
    }
  }
  codec_free(entries);
  codec_free(segments);
}

// The list's entries as the record's copies; null (with count 0) for no list.
int copy_entries(const fet* list, ridgeview_wsq_nistcom_entry** out, std::size_t* count) {
  *out = nullptr;
  *count = 0;
  if (list == nullptr || list->count <= 0) return 0;
  const auto n = static_cast<std::size_t>(list->count);
  auto* entries = static_cast<ridgeview_wsq_nistcom_entry*>(
      codec_calloc(n, sizeof(ridgeview_wsq_nistcom_entry)));
  if (entries == nullptr) return no_memory("ridgeview_wsq_read_info", "nistcom");
  for (std::size_t i = 0; i < n; ++i) {
    entries[i].name = copy_text(list->names[i]);
    entries[i].value = copy_text(list->values[i] != nullptr ? list->values[i] : "");
    if (entries[i].name == nullptr || entries[i].value == nullptr) {
      free_lists(entries, i + 1, nullptr);
      return no_memory("ridgeview_wsq_read_info", "nistcom");
    }
  }
  *out = entries;
  *count = n;
  return 0;
}

void add_segment(void* context, std::uint32_t marker, std::size_t offset, std::size_t length) {
  auto*& next = *static_cast<ridgeview_wsq_segment**>(context);
  *next++ = ridgeview_wsq_segment{marker, offset, length};
}

int copy_segments(const unsigned char* data, std::size_t size, ridgeview_wsq_segment** out,
                  std::size_t* count) {
  const std::size_t n = list_segments_wsq(data, size, nullptr, nullptr);
  auto* segments = static_cast<ridgeview_wsq_segment*>(
      codec_calloc(n == 0 ? 1 : n, sizeof(ridgeview_wsq_segment)));
  if (segments == nullptr) return no_memory("ridgeview_wsq_read_info", "segments");
  ridgeview_wsq_segment* next = segments;
  list_segments_wsq(data, size, add_segment, &next);
  *out = segments;
  *count = n;
  return 0;
}

// The decoder is never handed a null buffer: an empty one stands for "no bytes".
const unsigned char* bytes_or_empty(const unsigned char* data) {
  static const unsigned char kNoBytes = 0;
  return data != nullptr ? data : &kNoBytes;
}

}  // namespace

extern "C" {

int ridgeview_wsq_decode(const unsigned char* data, size_t size, int threads,
                         ridgeview_wsq_image* image, ridgeview_wsq_error* error) {
  return run(error, "ridgeview_wsq_decode", [&] {
    if (image == nullptr) return invalid_argument("ridgeview_wsq_decode", "null image");
    if (data == nullptr && size > 0) return invalid_argument("ridgeview_wsq_decode", "null data");
    CodecBytes pixels;
    int width = 0, height = 0, depth = 0, ppi = 0, lossy = 0, encoder = 0, software = 0;
    DecodeStrategy strategy;
    strategy.threads = thread_count(threads);
    if (int ret = wsq_decode_mem_with(strategy, pixels, &width, &height, &depth, &ppi, &lossy,
                                      &encoder, &software, bytes_or_empty(data), size)) {
      return ret;
    }
    image->pixels = pixels.release();
    image->width = width;
    image->height = height;
    image->depth = depth;
    image->ppi = ppi;
    image->lossy = lossy;
    return 0;
  });
}

int ridgeview_wsq_read_info(const unsigned char* data, size_t size, ridgeview_wsq_info* info,
                            ridgeview_wsq_error* error) {
  return run(error, "ridgeview_wsq_read_info", [&] {
    if (info == nullptr) return invalid_argument("ridgeview_wsq_read_info", "null info");
    if (data == nullptr && size > 0) {
      return invalid_argument("ridgeview_wsq_read_info", "null data");
    }
    data = bytes_or_empty(data);
    WsqHeaderInfo header;
    if (int ret = wsq_read_header_info(&header, data, size)) return ret;
    FetPtr list;
    if (int ret = find_nistcom_wsq(list, data, size)) return ret;
    ridgeview_wsq_nistcom_entry* entries = nullptr;
    std::size_t entry_count = 0;
    if (int ret = copy_entries(list.get(), &entries, &entry_count)) return ret;
    ridgeview_wsq_segment* segments = nullptr;
    std::size_t segment_count = 0;
    if (int ret = copy_segments(data, size, &segments, &segment_count)) {
      free_lists(entries, entry_count, nullptr);
      return ret;
    }
    *info = ridgeview_wsq_info{header.width, header.height, 8, header.ppi, 1,
                               header.encoder, header.software, entry_count, entries,
                               segment_count, segments};
    return 0;
  });
}

void ridgeview_wsq_info_free(ridgeview_wsq_info* info) {
  if (info == nullptr) return;
  free_lists(info->nistcom, info->nistcom_count, info->segments);
  *info = ridgeview_wsq_info{};
}

int ridgeview_wsq_encode(const unsigned char* pixels, int width, int height, float bitrate,
                         int ppi, const char* comment, int threads, unsigned char** data,
                         size_t* size, ridgeview_wsq_error* error) {
  return run(error, "ridgeview_wsq_encode", [&] {
    if (data == nullptr || size == nullptr) {
      return invalid_argument("ridgeview_wsq_encode", "null output");
    }
    // Above 8 bits per pixel a file would be larger than the raw image, which the encoder's
    // output buffer does not allow; NaN fails the first test.
    if (!(bitrate > 0.0f && bitrate <= 8.0f)) {
      char why[64];
      std::snprintf(why, sizeof why, "bit rate %g not above 0 and at most 8",
                    static_cast<double>(bitrate));
      return invalid_argument("ridgeview_wsq_encode", why);
    }
    CodecBytes encoded;
    std::size_t length = 0;
    EncodeStrategy strategy;
    strategy.threads = thread_count(threads);
    if (int ret = wsq_encode_1_with(strategy, encoded, &length, bitrate, pixels, width, height,
                                    8, ppi, comment)) {
      return ret;
    }
    *data = encoded.release();
    *size = length;
    return 0;
  });
}

void ridgeview_wsq_free(void* memory) { codec_free(memory); }

const char* ridgeview_wsq_code_name(int code) {
  if (code == 0) return "OK";
  const CodeTexts* t = find_code(code);
  return t != nullptr ? t->names.c_str() : "UNKNOWN";
}

const char* ridgeview_wsq_code_message(int code) {
  const CodeTexts* t = code == 0 ? nullptr : find_code(code);
  return t != nullptr ? t->messages.c_str() : "";
}

const char* ridgeview_wsq_version(void) { return RIDGEVIEW_WSQ_VERSION_STRING; }

size_t ridgeview_wsq_memory_budget(void) { return codec_memory_budget(); }

void ridgeview_wsq_set_memory_budget(size_t bytes) { codec_set_memory_budget(bytes); }

void ridgeview_wsq_release_cached_memory(void) { codec_release_cached_memory(); }

}  // extern "C"

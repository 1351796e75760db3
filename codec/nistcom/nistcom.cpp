#include "codec/nistcom/nistcom.h"

#include <cstdio>
#include <cstring>

#include "codec/wsq/wsq_format.h"

namespace ridgeview::codec {
namespace {

int set_int(const char* name, int value, fet* list) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  return updatefet_ret(name, text, list);
}

int set_count(fet* list) { return set_int("NIST_COM", list->count, list); }

}  // namespace

int combine_nistcom(FetPtr& list, int width, int height, int depth, int ppi, int lossy) {
  FetPtr created;
  fet* target = list.get();
  if (target == nullptr) {
    int ret = allocfet_ret(created, 6);
    if (ret != 0) return ret;
    ret = updatefet_ret("NIST_COM", "6", created.get());
    if (ret != 0) return ret;
    target = created.get();
  }
  int ret = set_int("PIX_WIDTH", width, target);
  if (ret == 0) ret = set_int("PIX_HEIGHT", height, target);
  if (ret == 0) ret = set_int("PIX_DEPTH", depth, target);
  if (ret == 0) ret = set_int("PPI", ppi, target);
  if (ret == 0) ret = set_int("LOSSY", lossy, target);
  if (ret == 0) ret = set_count(target);
  if (ret != 0) return ret;  // `created` releases a list made here
  if (created) list = std::move(created);
  return 0;
}

int add_wsq_nistcom_fields(FetPtr& list, int width, int height, int depth, int ppi,
                           int lossy, float bitrate) {
  const bool had_list = static_cast<bool>(list);
  int ret = combine_nistcom(list, width, height, depth, ppi, lossy);
  if (ret != 0) return ret;
  // Widened to double for "%f"; the longest float needs 39 digits before the point.
  char rate[64];
  std::snprintf(rate, sizeof rate, "%f", static_cast<double>(bitrate));
  ret = updatefet_ret("COLORSPACE", "GRAY", list.get());
  if (ret == 0) ret = updatefet_ret("COMPRESSION", "WSQ", list.get());
  if (ret == 0) ret = updatefet_ret("WSQ_BITRATE", rate, list.get());
  if (ret == 0) ret = set_count(list.get());
  if (ret != 0 && !had_list) list.reset();
  return ret;
}

int putc_nistcom_comment(const char* comment_text, int width, int height, int depth, int ppi,
                         int lossy, float bitrate, wsq_output& out) {
  FetPtr list;
  bool plain = false;
  if (comment_text != nullptr) {
    plain = true;
    if (std::strncmp(comment_text, "NIST_COM", 8) == 0) {
      const int ret = string2fet(list, comment_text);
      if (ret != 0) return ret;
      plain = false;
    }
  }
  int ret = add_wsq_nistcom_fields(list, width, height, depth, ppi, lossy, bitrate);
  if (ret != 0) return ret;

  CodecString text;
  ret = fet2string(text, list.get());
  list.reset();
  if (ret != 0) return ret;
  ret = putc_com_segment(COM_WSQ, text.get(), std::strlen(text.get()), out);
  text.reset();
  if (ret == 0 && plain) {
    ret = putc_com_segment(COM_WSQ, comment_text, std::strlen(comment_text), out);
  }
  return ret;
}

}  // namespace ridgeview::codec

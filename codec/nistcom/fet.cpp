#include "codec/nistcom/fet.h"

#include <cstring>
#include <limits>
#include <new>

#include "codec/common/codes.h"
#include "codec/common/report.h"

namespace ridgeview::codec {
namespace {

// Longest name or value string2fet keeps; the rest of a longer token is skipped.
constexpr std::size_t MAX_FET_TOKEN = 511;

// Copy of the first n bytes of s, zero-terminated, or null when memory is short.
char* copy_text(const char* s, std::size_t n) {
  char* out = static_cast<char*>(codec_malloc(n + 1));
  if (out == nullptr) return nullptr;
  std::memcpy(out, s, n);
  out[n] = '\0';
  return out;
}

char* copy_text(const char* s) { return copy_text(s, std::strlen(s)); }

constexpr int kNoSlot = -1;

// Slot of name, or kNoSlot.
int find_name(const char* name, const fet* list) {
  for (int i = 0; i < list->count; ++i) {
    if (std::strcmp(list->names[i], name) == 0) return i;
  }
  return kNoSlot;
}

// Grows both arrays by max(capacity / 10, 10) slots; new slots are empty. On failure the
// list stays usable with its old capacity (a names array that was already grown is kept).
int reallocfet_ret(fet* list) {
  const std::int32_t step = list->capacity / 10 > 10 ? list->capacity / 10 : 10;
  if (list->capacity > std::numeric_limits<std::int32_t>::max() - step) {
    report(msg::FET_GROW_NAMES);
    return FET_GROW_NAMES;
  }
  const std::int32_t grown = list->capacity + step;
  const std::size_t bytes = static_cast<std::size_t>(grown) * sizeof(char*);

  char** names = static_cast<char**>(codec_realloc(list->names, bytes));
  if (names == nullptr) {
    report(msg::FET_GROW_NAMES);
    return FET_GROW_NAMES;
  }
  list->names = names;
  for (std::int32_t i = list->capacity; i < grown; ++i) names[i] = nullptr;

  char** values = static_cast<char**>(codec_realloc(list->values, bytes));
  if (values == nullptr) {
    report(msg::FET_GROW_VALUES);
    return FET_GROW_VALUES;
  }
  list->values = values;
  for (std::int32_t i = list->capacity; i < grown; ++i) values[i] = nullptr;
  list->capacity = grown;
  return 0;
}

// Copies characters of text from *pos up to (not including) one of the stop characters or
// the end, keeping at most MAX_FET_TOKEN of them in buf; advances *pos past the whole token.
std::size_t read_token(char* buf, const char* text, std::size_t* pos, const char* stops) {
  std::size_t kept = 0;
  while (text[*pos] != '\0' && std::strchr(stops, text[*pos]) == nullptr) {
    if (kept < MAX_FET_TOKEN) buf[kept++] = text[*pos];
    ++*pos;
  }
  buf[kept] = '\0';
  return kept;
}

void skip_chars(const char* text, std::size_t* pos, const char* skip) {
  while (text[*pos] != '\0' && std::strchr(skip, text[*pos]) != nullptr) ++*pos;
}

}  // namespace

void deletefet(fet* list) {
  if (list == nullptr) return;
  for (std::int32_t i = 0; i < list->count; ++i) {
    codec_free(list->names[i]);
    codec_free(list->values[i]);
  }
  codec_free(list->names);
  codec_free(list->values);
  list->~fet();
  codec_free(list);
}

int allocfet_ret(FetPtr& out, int capacity) {
  if (capacity < 0) capacity = 0;
  void* raw = codec_malloc(sizeof(fet));
  if (raw == nullptr) {
    report(msg::FET_ALLOC);
    return FET_ALLOC;
  }
  FetPtr list(new (raw) fet);
  // Arrays of at least one slot, so that an empty list still owns valid arrays.
  const std::size_t slots = capacity == 0 ? 1 : static_cast<std::size_t>(capacity);
  list->names = static_cast<char**>(codec_calloc(slots, sizeof(char*)));
  if (list->names == nullptr) {
    report(msg::FET_NAMES_ALLOC);
    return FET_NAMES_ALLOC;
  }
  list->values = static_cast<char**>(codec_calloc(slots, sizeof(char*)));
  if (list->values == nullptr) {
    report(msg::FET_VALUES_ALLOC);
    return FET_VALUES_ALLOC;
  }
  list->capacity = capacity;
  out = std::move(list);
  return 0;
}

int updatefet_ret(const char* name, const char* value_or_null, fet* list) {
  if (list == nullptr || name == nullptr || name[0] == '\0') {
    report(msg::FET_NO_NAME_OR_LIST);
    return FET_NO_NAME_OR_LIST;
  }
  const int slot = find_name(name, list);
  if (slot != kNoSlot) {
    // The new copy is made before the old value goes, so a failure keeps the old value.
    char* copy = nullptr;
    if (value_or_null != nullptr) {
      copy = copy_text(value_or_null);
      if (copy == nullptr) {
        report(msg::FET_REPLACE_VALUE_ALLOC);
        return FET_REPLACE_VALUE_ALLOC;
      }
    }
    codec_free(list->values[slot]);
    list->values[slot] = copy;
    return 0;
  }

  if (list->count >= list->capacity) {
    const int ret = reallocfet_ret(list);
    if (ret != 0) return ret;
  }
  char* name_copy = copy_text(name);
  if (name_copy == nullptr) {
    report(msg::FET_NAME_ALLOC);
    return FET_NAME_ALLOC;
  }
  char* value_copy = nullptr;
  if (value_or_null != nullptr) {
    value_copy = copy_text(value_or_null);
    if (value_copy == nullptr) {
      codec_free(name_copy);
      report(msg::FET_VALUE_ALLOC);
      return FET_VALUE_ALLOC;
    }
  }
  list->names[list->count] = name_copy;
  list->values[list->count] = value_copy;
  ++list->count;
  return 0;
}

int lookupfet(CodecString& value, const char* name, const fet* list) {
  if (list == nullptr || name == nullptr) return 0;
  const int slot = find_name(name, list);
  if (slot == kNoSlot) return 0;
  if (list->values[slot] == nullptr) {
    value.reset();
    return 1;
  }
  char* copy = copy_text(list->values[slot]);
  if (copy == nullptr) {
    report(msg::FET_LOOKUP_ALLOC);
    return FET_LOOKUP_ALLOC;
  }
  value.reset(copy);
  return 1;
}

int extractfet_ret(CodecString& value, const char* name, const fet* list) {
  const int slot = (list == nullptr || name == nullptr) ? kNoSlot : find_name(name, list);
  if (slot == kNoSlot) {
    report(msg::FET_NOT_FOUND, name == nullptr ? "" : name);
    return FET_NOT_FOUND;
  }
  if (list->values[slot] == nullptr) {
    value.reset();
    return 0;
  }
  char* copy = copy_text(list->values[slot]);
  if (copy == nullptr) {
    report(msg::FET_EXTRACT_ALLOC);
    return FET_EXTRACT_ALLOC;
  }
  value.reset(copy);
  return 0;
}

int fet2string(CodecString& text, const fet* list) {
  const std::int32_t count = list == nullptr ? 0 : list->count;
  std::size_t size = 1;
  for (std::int32_t i = 0; i < count; ++i) {
    const std::size_t entry = std::strlen(list->names[i]) +
                              (list->values[i] ? std::strlen(list->values[i]) : 0) + 2;
    if (entry > std::numeric_limits<std::size_t>::max() - size) {
      report(msg::FET_TEXT_ALLOC);
      return FET_TEXT_ALLOC;
    }
    size += entry;
  }
  char* str = static_cast<char*>(codec_calloc(size, 1));
  if (str == nullptr) {
    report(msg::FET_TEXT_ALLOC);
    return FET_TEXT_ALLOC;
  }
  // An empty value slot is written as the name and its blank: "NAME " reads back as empty.
  std::size_t pos = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    const std::size_t nlen = std::strlen(list->names[i]);
    std::memcpy(str + pos, list->names[i], nlen);
    pos += nlen;
    str[pos++] = ' ';
    if (list->values[i] != nullptr) {
      const std::size_t vlen = std::strlen(list->values[i]);
      std::memcpy(str + pos, list->values[i], vlen);
      pos += vlen;
    }
    str[pos++] = '\n';
  }
  if (pos > 0) str[pos - 1] = '\0';  // no line end after the last entry
  text.reset(str);
  return 0;
}

int string2fet(FetPtr& out, const char* text) {
  FetPtr list;
  int ret = allocfet_ret(list, 100);
  if (ret != 0) return ret;
  if (text == nullptr) text = "";

  char name[MAX_FET_TOKEN + 1];
  char value[MAX_FET_TOKEN + 1];
  std::size_t pos = 0;
  while (text[pos] != '\0') {
    // A name ends at a blank, a tab or a line end: an entry alone on its line has no value.
    const std::size_t name_len = read_token(name, text, &pos, " \t\n");
    skip_chars(text, &pos, " \t");
    const std::size_t value_len = read_token(value, text, &pos, "\n");
    skip_chars(text, &pos, " \t\n");
    if (name_len == 0) {
      report(msg::FET_EMPTY_NAME);
      return FET_EMPTY_NAME;
    }
    ret = updatefet_ret(name, value_len == 0 ? nullptr : value, list.get());
    if (ret != 0) return ret;
  }
  out = std::move(list);
  return 0;
}

}  // namespace ridgeview::codec

// Feature lists: ordered name/value lists with owned strings, the in-memory form of the
// NIST_COM comment text ("NAME value" lines joined by '\n').
#pragma once

#include <cstdint>
#include <memory>

#include "codec/common/codec_memory.h"

namespace ridgeview::codec {

struct fet {
  std::int32_t capacity = 0;  // slots allocated in names and values
  std::int32_t count = 0;     // slots in use
  char** names = nullptr;     // owned, never empty
  char** values = nullptr;    // owned; a slot may be null (empty value)
};

// Frees every string, both arrays and the list. Accepts null.
void deletefet(fet* list);

struct FetDelete {
  void operator()(fet* list) const noexcept { deletefet(list); }
};
using FetPtr = std::unique_ptr<fet, FetDelete>;

// Owned zero-terminated string allocated through the codec's allocator.
using CodecString = CodecPtr<char[]>;

// All return 0 on success or the negative code (after writing its message to stderr).
int allocfet_ret(FetPtr& out, int capacity);
int updatefet_ret(const char* name, const char* value_or_null, fet* list);
// 1 with a copy of the value (null for an empty slot), 0 when absent, -2 when out of memory.
int lookupfet(CodecString& value, const char* name, const fet* list);
// Like lookupfet, but an absent name is the error -2 (and -3 when out of memory).
int extractfet_ret(CodecString& value, const char* name, const fet* list);
int fet2string(CodecString& text, const fet* list);
int string2fet(FetPtr& out, const char* text);

}  // namespace ridgeview::codec

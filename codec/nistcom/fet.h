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
// Out-parameters are written only on success.

// A new empty list with `capacity` slots (a negative capacity counts as 0).
// -2 list, -3 names array, -4 values array: out of memory; nothing stays allocated.
int allocfet_ret(FetPtr& out, int capacity);

// Sets the value of an existing name (keeping its position), or appends the entry; a null
// value leaves an empty slot. A full list grows by max(capacity / 10, 10) slots.
// -2/-3 growing the names/values array failed; replacing: -2 (the old value is kept);
// appending: -3 name copy, -4 value copy (the list is unchanged); -5 null list or empty name.
int updatefet_ret(const char* name, const char* value_or_null, fet* list);

// 1 with a copy of the value (null for an empty slot), 0 when absent (value untouched),
// -2 when out of memory.
int lookupfet(CodecString& value, const char* name, const fet* list);

// 0 with a copy of the value (null for an empty slot); -2 when the name is absent, -3 when
// out of memory.
int extractfet_ret(CodecString& value, const char* name, const fet* list);

// The text form: "name value" lines joined by '\n', no line end after the last. An empty
// value slot gives "name " (name and blank); an empty or null list gives "". -2: no memory.
int fet2string(CodecString& text, const fet* list);

// Parses a text form (capacity 100). A name ends at a blank, tab, line end or the end; the
// value runs to the line end. Blanks, tabs and line ends after a value are skipped. Names
// and values longer than 511 characters are cut to their first 511. A repeated name keeps
// its first position and its last value. A null text gives an empty list.
// -2: an empty name (text starting with a blank or a line end); allocfet_ret and
// updatefet_ret codes pass through. On failure nothing stays allocated.
int string2fet(FetPtr& out, const char* text);

}  // namespace ridgeview::codec

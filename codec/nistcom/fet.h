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

// All return 0 on success or a named code (codec/common/codes.h) after writing its message
// to stderr. Out-parameters are written only on success; lists, values and texts handed out
// belong to the caller.

// A new empty list with `capacity` slots (a negative capacity counts as 0). FET_ALLOC,
// FET_NAMES_ALLOC, FET_VALUES_ALLOC when memory is short; nothing stays allocated.
int allocfet_ret(FetPtr& out, int capacity);

// Sets the value of an existing name (keeping its position), or appends the entry; a null
// value leaves an empty slot. A full list grows by max(capacity / 10, 10) slots.
// FET_GROW_NAMES / FET_GROW_VALUES when growing fails (the list keeps its entries and may
// keep a larger names array); FET_REPLACE_VALUE_ALLOC (the old value is kept), FET_NAME_ALLOC
// or FET_VALUE_ALLOC (the list is unchanged) when a copy cannot be made;
// FET_NO_NAME_OR_LIST for a null list or an empty name.
int updatefet_ret(const char* name, const char* value_or_null, fet* list);

// 1 with a copy of the value (null for an empty slot), 0 when absent (value untouched),
// FET_LOOKUP_ALLOC when memory is short.
int lookupfet(CodecString& value, const char* name, const fet* list);

// 0 with a copy of the value (null for an empty slot); FET_NOT_FOUND when the name is
// absent, FET_EXTRACT_ALLOC when memory is short.
int extractfet_ret(CodecString& value, const char* name, const fet* list);

// The text form: "name value" lines joined by '\n', no line end after the last. An empty
// value slot gives "name " (name and blank); an empty or null list gives "".
// FET_TEXT_ALLOC when memory is short.
int fet2string(CodecString& text, const fet* list);

// Parses a text form (capacity 100). A name ends at a blank, tab, line end or the end; the
// value runs to the line end. Blanks, tabs and line ends after a value are skipped. Names
// and values longer than 511 characters are cut to their first 511. A repeated name keeps
// its first position and its last value. A null text gives an empty list.
// FET_EMPTY_NAME for an empty name (text starting with a blank or a line end); the codes
// of allocfet_ret and updatefet_ret pass through. On failure nothing stays allocated.
int string2fet(FetPtr& out, const char* text);

}  // namespace ridgeview::codec

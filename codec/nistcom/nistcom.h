// The NIST_COM comment of encoded images: the name/value list that describes an image
// (size, depth, resolution, lossy, colour space, compression, bit rate), merged with a
// NIST_COM text supplied by the caller, and written as the file's first comment segment.
#pragma once

#include <cstddef>

#include "codec/nistcom/fet.h"
#include "codec/wsq/encode/segment_writers.h"

namespace ridgeview::codec {

// Creates the list when `list` is empty (capacity 6, NIST_COM "6"), sets PIX_WIDTH,
// PIX_HEIGHT, PIX_DEPTH, PPI and LOSSY to their decimal texts (existing keys keep their
// place) and NIST_COM to the entry count. Returns 0 or the codes of allocfet_ret and
// updatefet_ret; a list created here is released on failure and `list` stays empty, a list
// passed in stays with the caller, holding the entries set before the failure.
int combine_nistcom(FetPtr& list, int width, int height, int depth, int ppi, int lossy);

// combine_nistcom, then COLORSPACE "GRAY", COMPRESSION "WSQ", WSQ_BITRATE (the bit rate
// with "%f") and the entry count again. Same ownership rules as combine_nistcom.
int add_wsq_nistcom_fields(FetPtr& list, int width, int height, int depth, int ppi,
                           int lossy, float bitrate);

// Writes the NIST_COM comment segment; then, when comment_text is given and is not itself
// a NIST_COM text, the caller's text as a second comment (an empty text gives an empty
// segment). A NIST_COM text (first 8 bytes "NIST_COM") is merged into the list instead.
// Returns 0, the codes of string2fet, add_wsq_nistcom_fields and fet2string, or those of
// putc_com_segment (WSQ_ENC_BYTE_OVERFLOW, WSQ_ENC_BYTES_OVERFLOW, WSQ_ENC_COMMENT_TOO_LONG).
// Nothing is written before the list's text exists.
int putc_nistcom_comment(const char* comment_text, int width, int height, int depth, int ppi,
                         int lossy, float bitrate, wsq_output& out);

}  // namespace ridgeview::codec

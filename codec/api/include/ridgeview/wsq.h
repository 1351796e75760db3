/*
 * Ridgeview WSQ codec: the public C API of libridgeview-wsq.
 *
 * Decodes and encodes WSQ (Wavelet Scalar Quantization) gray-scale fingerprint images held in
 * memory, and reads a file's header and NIST_COM entries without decoding it. Usable from C99
 * and C++.
 *
 * Conventions:
 *   - Every function that can fail returns 0 on success or a negative code. The codes are the
 *     codec's own fixed numbers (ridgeview_wsq_code_name() names them); a value can stand for
 *     different failures at different steps, so the message says which one it was. Two codes
 *     belong to the library itself, outside the codec's range: RIDGEVIEW_WSQ_INVALID_ARGUMENT
 *     and RIDGEVIEW_WSQ_NO_MEMORY.
 *   - A failure fills the caller's ridgeview_wsq_error, when one is passed, with the code and
 *     everything the codec wrote on the way, in order: warnings, then the failure's own
 *     message (one or more lines, each ending in '\n'). A success sets its code to 0 and its
 *     message to what the codec noted on the way (warnings about unusual but decodable
 *     data), usually "". The library never writes to stdout or stderr: a program that shows
 *     the codec's messages prints `message` itself, and so writes exactly what the codec
 *     would have written.
 *   - Outputs are written only on success. Memory the library hands out belongs to the caller
 *     and is released with ridgeview_wsq_free() (pixels, encoded bytes) or
 *     ridgeview_wsq_info_free() (an info record).
 *   - Calls are independent of each other: they keep no state between calls except the memory
 *     budget and a per-thread reuse of large blocks, and may run on many threads at once.
 *   - `threads` asks one call to use up to that many threads (0: as many as the process may
 *     use; 1: only the calling thread; a negative count is taken as 0). The result is the
 *     same bit for bit for every count. Small images (below about half a million pixels) use
 *     the calling thread alone whatever the count; larger ones are split over a pool of
 *     threads the library starts the first time one is needed, and keeps.
 *   - Large work arrays come from mappings advised for huge pages where the system has them.
 */
#ifndef RIDGEVIEW_WSQ_H
#define RIDGEVIEW_WSQ_H

#include <stddef.h>

#define RIDGEVIEW_WSQ_VERSION_MAJOR 1
#define RIDGEVIEW_WSQ_VERSION_MINOR 0
#define RIDGEVIEW_WSQ_VERSION_PATCH 0
#define RIDGEVIEW_WSQ_VERSION_STRING "1.0.0"
/* One number for comparisons: MAJOR * 10000 + MINOR * 100 + PATCH. */
#define RIDGEVIEW_WSQ_VERSION \
  (RIDGEVIEW_WSQ_VERSION_MAJOR * 10000 + RIDGEVIEW_WSQ_VERSION_MINOR * 100 + \
   RIDGEVIEW_WSQ_VERSION_PATCH)

#if defined(RIDGEVIEW_WSQ_BUILDING) && defined(__GNUC__)
#define RIDGEVIEW_WSQ_API __attribute__((visibility("default")))
#else
#define RIDGEVIEW_WSQ_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The library's own codes (the codec's are -1 to -125). */
enum {
  /* A null pointer where the call needs one, or a bit rate that is not above 0 and at most 8
     (or not a number). */
  RIDGEVIEW_WSQ_INVALID_ARGUMENT = -200,
  /* No memory for the lists ridgeview_wsq_read_info() hands out. */
  RIDGEVIEW_WSQ_NO_MEMORY = -201
};

/* Why an allocation of a failed call was refused (ridgeview_wsq_error.refusal). */
enum {
  RIDGEVIEW_WSQ_REFUSAL_NONE = 0,          /* the failure was not an allocation's */
  RIDGEVIEW_WSQ_REFUSAL_BUDGET = 1,        /* the image needs more than the memory budget */
  RIDGEVIEW_WSQ_REFUSAL_OUT_OF_MEMORY = 2  /* the system had no memory for it */
};

/* What a failed call reports. */
typedef struct ridgeview_wsq_error {
  int code;           /* the returned code */
  int refusal;        /* RIDGEVIEW_WSQ_REFUSAL_* */
  char message[1024]; /* the codec's message, NUL-terminated; "" for the few failures that
                         have none. When it does not fit, lines in its middle give way to one
                         "...\n" line, so that its first lines and its last line (the
                         failure's own) are kept. */
} ridgeview_wsq_error;

/* A decoded image: width * height gray bytes, top row first, rows packed. */
typedef struct ridgeview_wsq_image {
  unsigned char* pixels; /* release with ridgeview_wsq_free() */
  int width;
  int height;
  int depth;             /* always 8 */
  int ppi;               /* from the NIST_COM "PPI" entry; -1 when the file has none */
  int lossy;             /* always 1 for WSQ */
} ridgeview_wsq_image;

/* One "NAME value" line of the NIST_COM comment; both NUL-terminated, never null. */
typedef struct ridgeview_wsq_nistcom_entry {
  char* name;
  char* value;  /* "" for an entry without a value */
} ridgeview_wsq_nistcom_entry;

/* ridgeview_wsq_segment.marker of what is not a marker segment. */
enum {
  RIDGEVIEW_WSQ_SEGMENT_DATA = 0,    /* the entropy-coded data behind a block header */
  RIDGEVIEW_WSQ_SEGMENT_UNKNOWN = 1  /* bytes where a marker belongs that are none: the rest
                                        of the file, always the last segment listed */
};

/* One piece of a file, in file order: a marker segment, or the entropy-coded data that
   follows a block header. A segment cut short by the end of the file is listed with the
   bytes it has, and ends the list. */
typedef struct ridgeview_wsq_segment {
  unsigned int marker;   /* 0xFFA0 ... 0xFFA8, or RIDGEVIEW_WSQ_SEGMENT_* */
  size_t offset;         /* of its first byte (the marker's) */
  size_t length;         /* its bytes, the marker included */
} ridgeview_wsq_segment;

/* What the headers of a file say, read without decoding its image. */
typedef struct ridgeview_wsq_info {
  int width;
  int height;
  int depth;                             /* always 8 */
  int ppi;                               /* NIST_COM "PPI", or -1 */
  int lossy;                             /* always 1 */
  int encoder;                           /* the frame header's encoder number */
  int software;                          /* the frame header's software number */
  size_t nistcom_count;                  /* 0 when the file has no NIST_COM comment */
  ridgeview_wsq_nistcom_entry* nistcom;  /* the entries of the first NIST_COM comment before
                                            the first block, in file order (the first is
                                            "NIST_COM" itself); null when there are none */
  size_t segment_count;
  ridgeview_wsq_segment* segments;
} ridgeview_wsq_info;

/* Decodes a WSQ file held in `data` (`size` bytes) into `image`.
   Returns 0, or a negative code (the decoder's codes; malformed files never crash), or
   RIDGEVIEW_WSQ_INVALID_ARGUMENT for a null `image`, or a null `data` with a `size` above 0
   (a null `data` of size 0 is an empty file). */
RIDGEVIEW_WSQ_API int ridgeview_wsq_decode(const unsigned char* data, size_t size, int threads,
                                           ridgeview_wsq_image* image,
                                           ridgeview_wsq_error* error);

/* Reads the frame header, the NIST_COM entries and the list of segments, in constant memory
   apart from the entries and segments returned; the coded data is not decoded, so damage in
   it goes unnoticed. Returns 0 or a negative code: the decoder's codes for the headers,
   RIDGEVIEW_WSQ_INVALID_ARGUMENT as for ridgeview_wsq_decode(), RIDGEVIEW_WSQ_NO_MEMORY.
   Release `info` with ridgeview_wsq_info_free(), which also empties the record (so a second
   release does nothing); null is allowed. */
RIDGEVIEW_WSQ_API int ridgeview_wsq_read_info(const unsigned char* data, size_t size,
                                              ridgeview_wsq_info* info,
                                              ridgeview_wsq_error* error);
RIDGEVIEW_WSQ_API void ridgeview_wsq_info_free(ridgeview_wsq_info* info);

/* Encodes width * height gray bytes (top row first, rows packed) at `bitrate` bits per pixel
   (0.75 is the common choice) and `ppi`. `comment` is null (no comment of the caller), a
   NIST_COM text (merged into the file's NIST_COM entries) or any other text (written as a
   comment segment of its own). On success *data holds *size bytes (release with
   ridgeview_wsq_free()). Returns 0 or a negative code: the encoder's codes (a null `pixels`
   is its WSQ_ENC_BAD_ARGUMENT), or RIDGEVIEW_WSQ_INVALID_ARGUMENT for a null `data` or
   `size`, or a bit rate that is not a number above 0 and at most 8. */
RIDGEVIEW_WSQ_API int ridgeview_wsq_encode(const unsigned char* pixels, int width, int height,
                                           float bitrate, int ppi, const char* comment,
                                           int threads, unsigned char** data, size_t* size,
                                           ridgeview_wsq_error* error);

/* Releases pixels or encoded bytes the library returned. Null is allowed. */
RIDGEVIEW_WSQ_API void ridgeview_wsq_free(void* memory);

/* The name of a code ("WSQ_NO_SOI"); where one value stands for several failures, their names
   joined by " | ". "OK" for 0; "UNKNOWN" for a value the codec never returns. Static text. */
RIDGEVIEW_WSQ_API const char* ridgeview_wsq_code_name(int code);
/* The message format of a code as the codec writes it (printf fields unfilled, line end
   included); the formats of several failures joined by " | " as above, leaving out those
   that write nothing; "" when there is none. Static text. */
RIDGEVIEW_WSQ_API const char* ridgeview_wsq_code_message(int code);

/* The library's version, "MAJOR.MINOR.PATCH"; compare with RIDGEVIEW_WSQ_VERSION_STRING to
   find a header/library mismatch. */
RIDGEVIEW_WSQ_API const char* ridgeview_wsq_version(void);

/* The most memory one decode or encode may plan to hold, in bytes (process-wide; default
   8 GiB). A file whose frame would need more fails at once with its allocation code and
   refusal RIDGEVIEW_WSQ_REFUSAL_BUDGET instead of touching that much memory. */
RIDGEVIEW_WSQ_API size_t ridgeview_wsq_memory_budget(void);
RIDGEVIEW_WSQ_API void ridgeview_wsq_set_memory_budget(size_t bytes);

/* Gives the large blocks the calling thread keeps for its next call back to the system. */
RIDGEVIEW_WSQ_API void ridgeview_wsq_release_cached_memory(void);

#ifdef __cplusplus
}
#endif

#endif /* RIDGEVIEW_WSQ_H */

/* A plain C99 program using libridgeview-wsq the way an outside project would: it knows only
 * <ridgeview/wsq.h> and the library. Given the folder of the reference vectors it decodes and
 * encodes them, checking every byte, reads one file's info and checks the code and message
 * of a damaged file. Prints one line per failed check; exits 0 when all pass. */
#include <ridgeview/wsq.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int failures = 0;

static void check(int ok, const char* what, const char* name) {
  if (!ok) {
    printf("FAILED: %s (%s)\n", what, name);
    ++failures;
  }
}

/* The whole file, or NULL; *size receives its length. */
static unsigned char* read_file(const char* folder, const char* name, size_t* size) {
  char path[4096];
  FILE* f;
  unsigned char* bytes;
  long n;
  snprintf(path, sizeof path, "%s/%s", folder, name);
  f = fopen(path, "rb");
  if (f == NULL) return NULL;
  if (fseek(f, 0, SEEK_END) != 0 || (n = ftell(f)) < 0 || fseek(f, 0, SEEK_SET) != 0) {
    fclose(f);
    return NULL;
  }
  bytes = (unsigned char*)malloc((size_t)n + 1);
  if (bytes != NULL && fread(bytes, 1, (size_t)n, f) != (size_t)n) {
    free(bytes);
    bytes = NULL;
  }
  fclose(f);
  if (bytes != NULL) bytes[n] = 0; /* lets the PGM header be read with sscanf */
  *size = (size_t)n;
  return bytes;
}

/* The pixels of a binary PGM (P5, maxval 255) without comments, as the vectors are. */
static const unsigned char* pgm_pixels(const unsigned char* pgm, size_t size, int* width,
                                       int* height) {
  int maxval = 0;
  int header = 0;
  if (size < 2 || sscanf((const char*)pgm, "P5 %d %d %d%n", width, height, &maxval, &header) != 3 ||
      maxval != 255 || (size_t)header + 1 + (size_t)*width * (size_t)*height > size) {
    return NULL;
  }
  return pgm + header + 1;
}

static void check_vector(const char* folder, const char* base) {
  char name[256];
  size_t wsq_size = 0, pgm_size = 0, dec_size = 0, encoded_size = 0;
  unsigned char *wsq, *pgm, *dec, *encoded = NULL;
  const unsigned char *source, *expected;
  int width = 0, height = 0, dec_width = 0, dec_height = 0;
  ridgeview_wsq_image image;
  ridgeview_wsq_error error;

  snprintf(name, sizeof name, "%s.wsq", base);
  wsq = read_file(folder, name, &wsq_size);
  snprintf(name, sizeof name, "%s.pgm", base);
  pgm = read_file(folder, name, &pgm_size);
  snprintf(name, sizeof name, "%s.dec.pgm", base);
  dec = read_file(folder, name, &dec_size);
  check(wsq != NULL && pgm != NULL && dec != NULL, "reference files readable", base);
  if (wsq == NULL || pgm == NULL || dec == NULL) goto done;
  source = pgm_pixels(pgm, pgm_size, &width, &height);
  expected = pgm_pixels(dec, dec_size, &dec_width, &dec_height);
  check(source != NULL && expected != NULL, "reference images are binary PGM", base);
  if (source == NULL || expected == NULL) goto done;

  check(ridgeview_wsq_decode(wsq, wsq_size, 1, &image, &error) == 0, "decode succeeds", base);
  if (error.code == 0) {
    check(image.width == dec_width && image.height == dec_height, "decoded size", base);
    check(image.depth == 8 && image.ppi == 500 && image.lossy == 1, "decoded facts", base);
    check(memcmp(image.pixels, expected, (size_t)dec_width * (size_t)dec_height) == 0,
          "decoded pixels", base);
    check(strcmp(error.message, "") == 0, "no message on success", base);
    ridgeview_wsq_free(image.pixels);
  }

  check(ridgeview_wsq_encode(source, width, height, 0.75f, 500, "", 0, &encoded, &encoded_size,
                             &error) == 0,
        "encode succeeds", base);
  if (error.code == 0) {
    check(encoded_size == wsq_size && memcmp(encoded, wsq, wsq_size) == 0,
          "encoded bytes equal the reference file", base);
    ridgeview_wsq_free(encoded);
  }
done:
  free(wsq);
  free(pgm);
  free(dec);
}

static void check_info(const char* folder) {
  size_t size = 0;
  unsigned char* wsq = read_file(folder, "print_419x331.wsq", &size);
  ridgeview_wsq_info info;
  ridgeview_wsq_error error;
  size_t i, end = 0;
  if (wsq == NULL) return;
  check(ridgeview_wsq_read_info(wsq, size, &info, &error) == 0, "info read", "print");
  if (error.code == 0) {
    check(info.width == 419 && info.height == 331 && info.ppi == 500, "info facts", "print");
    check(info.nistcom_count > 0 && strcmp(info.nistcom[0].name, "NIST_COM") == 0,
          "info NIST_COM entries", "print");
    for (i = 0; i < info.segment_count; ++i) {
      check(info.segments[i].offset == end, "segments follow each other", "print");
      end = info.segments[i].offset + info.segments[i].length;
    }
    check(end == size && info.segments[0].marker == 0xFFA0, "segments cover the file", "print");
    ridgeview_wsq_info_free(&info);
    check(info.segments == NULL && info.nistcom == NULL, "info released", "print");
  }
  free(wsq);
}

static void check_damaged(const char* folder) {
  size_t size = 0;
  unsigned char* wsq = read_file(folder, "errors/no_soi.wsq", &size);
  ridgeview_wsq_image image;
  ridgeview_wsq_error error;
  if (wsq == NULL) {
    check(0, "damaged file readable", "no_soi");
    return;
  }
  image.pixels = NULL;
  check(ridgeview_wsq_decode(wsq, size, 0, &image, &error) == -88, "code of a damaged file",
        "no_soi");
  check(error.code == -88 && error.refusal == RIDGEVIEW_WSQ_REFUSAL_NONE, "error record",
        "no_soi");
  check(strcmp(error.message, "ERROR : getc_marker_wsq : No SOI marker. {FFA1}\n") == 0,
        "message of a damaged file", "no_soi");
  check(image.pixels == NULL, "no pixels on failure", "no_soi");
  check(strcmp(ridgeview_wsq_code_name(-88), "WSQ_NO_SOI") == 0, "code name", "no_soi");
  free(wsq);
}

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s VECTORS_FOLDER\n", argv[0]);
    return 2;
  }
  check(strcmp(ridgeview_wsq_version(), RIDGEVIEW_WSQ_VERSION_STRING) == 0,
        "library and header versions agree", ridgeview_wsq_version());
  check_vector(argv[1], "print_419x331");
  check_vector(argv[1], "photo_384x288");
  check_info(argv[1]);
  check_damaged(argv[1]);
  if (failures == 0) printf("all checks passed\n");
  return failures == 0 ? 0 : 1;
}

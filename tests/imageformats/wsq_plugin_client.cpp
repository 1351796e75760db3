// A Qt program that knows nothing of WSQ: it links only Qt and reaches WSQ files through
// whatever image plugins QT_PLUGIN_PATH offers. Given the reference vectors, a folder to write
// in and the files `ridgeview-wsq encode` made of the vectors' PGM images, it checks that
// reading gives the reference pixels, size and resolution, and that writing gives the tool's
// bytes. Prints one line per failed check; exits 0 when all pass.
#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QStringList>

#include <cstdio>

namespace {

int failures = 0;

void check(bool ok, const QString& what) {
  if (!ok) {
    std::printf("FAILED: %s\n", qPrintable(what));
    ++failures;
  }
}

QByteArray readBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What QImageWriter puts in a file for `image` in the "wsq" format.
QByteArray written(const QImage& image) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "wsq");
  return writer.write(image) ? buffer.data() : QByteArray();
}

// The same gray levels as unequal channels whose mean is the gray level.
QImage colouredLike(const QImage& gray) {
  QImage colour(gray.size(), QImage::Format_RGB32);
  for (int y = 0; y < gray.height(); ++y) {
    for (int x = 0; x < gray.width(); ++x) {
      const int g = gray.constScanLine(y)[x];
      const int d = g == 0 || g == 255 ? 0 : 1;
      colour.setPixel(x, y, qRgb(g + d, g - d, g));
    }
  }
  return colour;
}

void checkVector(const QString& vectors, const QString& name, const QString& toolFile,
                 const QString& scratch) {
  const QString wsqPath = vectors + "/" + name + ".wsq";
  QImageReader reader(wsqPath);
  check(reader.canRead() && reader.format() == "wsq", name + ": recognised as wsq");
  const QImage expected = QImage(vectors + "/" + name + ".dec.pgm")
                              .convertToFormat(QImage::Format_Grayscale8);
  check(!expected.isNull(), name + ": reference pixels readable");
  check(reader.size() == expected.size(), name + ": size before reading");
  const QImage image = reader.read();
  check(image.format() == QImage::Format_Grayscale8, name + ": read as 8-bit gray " +
                                                          reader.errorString());
  check(image == expected, name + ": pixels");
  check(image.dotsPerMeterX() == 19685 && image.dotsPerMeterY() == 19685,
        name + ": 500 ppi as dots per metre");

  // By content alone: no extension, no format named.
  const QString bare = scratch + "/" + name;
  QFile::remove(bare);
  QFile::copy(wsqPath, bare);
  QImageReader byContent(bare);
  check(byContent.read() == expected, name + ": read by content");

  // Writing: the tool's bytes, whether the pixels come as gray or as colour.
  const QImage source(vectors + "/" + name + ".pgm");
  const QByteArray tool = readBytes(toolFile);
  check(!tool.isEmpty() && written(source) == tool, name + ": written as the tool encodes");
  check(written(colouredLike(source.convertToFormat(QImage::Format_Grayscale8))) == tool,
        name + ": colour reduced to the mean of its channels");
  check(tool == readBytes(wsqPath), name + ": tool output is the reference file");
}

void checkResolutionAndFailures(const QString& vectors) {
  QImage source(vectors + "/print_419x331.pgm");
  source.setDotsPerMeterX(39370);  // 1000 ppi
  source.setDotsPerMeterY(39370);
  QByteArray bytes = written(source);
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  const QImage back = QImageReader(&buffer, "wsq").read();
  check(back.dotsPerMeterX() == 39370, "the image's resolution is written");
  check(bytes.contains("PPI 1000"), "its NIST_COM entry says 1000 ppi");

  // A file cut short starts like WSQ but does not decode; one without SOI is not WSQ.
  QImageReader cut(vectors + "/errors/cut_00400.wsq", "wsq");
  check(cut.read().isNull(), "a damaged file gives no image");
  QImageReader noSoi(vectors + "/errors/no_soi.wsq");
  check(!noSoi.canRead(), "a file without SOI is not taken for WSQ");
  // Too few pixels for a WSQ file: nothing is written.
  check(written(QImage(10, 10, QImage::Format_Grayscale8)).isEmpty(), "a tiny image fails");
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 5) {
    std::fprintf(stderr, "usage: %s VECTORS SCRATCH PRINT_TOOL.wsq PHOTO_TOOL.wsq\n", argv[0]);
    return 2;
  }
  const QString vectors = argv[1], scratch = argv[2];
  check(QImageReader::supportedImageFormats().contains("wsq"), "wsq among the formats");
  check(QImageReader::supportedMimeTypes().contains("image/x-wsq"), "image/x-wsq known");
  check(QImageWriter::supportedImageFormats().contains("wsq"), "wsq writable");
  checkVector(vectors, "print_419x331", argv[3], scratch);
  checkVector(vectors, "photo_384x288", argv[4], scratch);
  checkResolutionAndFailures(vectors);
  if (failures == 0) std::printf("all checks passed\n");
  return failures == 0 ? 0 : 1;
}

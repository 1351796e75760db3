// The view's drawing of a desktop-sized print: a 2000 x 1600 fingerprint reduced by area
// averaging into a 1280 x 1024 view (zoom 1.56, the trackbar position that fits it; the view
// does this once per image and zoom), and the repaint of a whole view while panning, which is
// a copy out of that reduction. Targets on the development machine: at most 15 ms for the
// reduction, at most 4 ms for the pan repaint.
#include <cstring>
#include <vector>

#include "bench/bench_support.h"
#include "document/area_mean.h"

#ifdef RIDGEVIEW_BENCH_QT
#include <QImage>
#include <QPainter>
#endif

namespace ridgeview::bench {
namespace {

constexpr int kPrintWidth = 2000;
constexpr int kPrintHeight = 1600;
constexpr int kViewWidth = 1280;
constexpr int kViewHeight = 1024;
constexpr double kZoom = 1.56;
// ToScreen(2000 x 1600, 1.56): the whole reduced content.
constexpr int kContentWidth = static_cast<int>(kPrintWidth * (1.0 / kZoom));
constexpr int kContentHeight = static_cast<int>(kPrintHeight * (1.0 / kZoom));

// The print as the view holds it: 24-bit rows, blue = green = red, from the generated 2000 x
// 2000 fingerprint's top 1600 rows; `tint` makes it a colour image instead.
const std::vector<std::uint8_t>& PrintRows(bool tint) {
  static std::vector<std::uint8_t> rows[2];
  std::vector<std::uint8_t>& r = rows[tint ? 1 : 0];
  if (r.empty()) {
    const TestImage& image = GetTestImage(2000);
    r.resize(static_cast<std::size_t>(kPrintWidth) * kPrintHeight * 3);
    for (std::size_t i = 0; i < static_cast<std::size_t>(kPrintWidth) * kPrintHeight; ++i) {
      const std::uint8_t v = image.pixels[i];
      r[3 * i] = v;
      r[3 * i + 1] = tint ? static_cast<std::uint8_t>(v / 2) : v;
      r[3 * i + 2] = tint ? static_cast<std::uint8_t>(255 - v) : v;
    }
  }
  return r;
}

document::Bgr24Rows Rows(bool tint) {
  return {PrintRows(tint).data(), kPrintWidth, kPrintHeight,
          static_cast<std::size_t>(kPrintWidth) * 3};
}

void BM_ViewReduceAreaMean(benchmark::State& state) {
  const bool colour = state.range(0) != 0;
  const document::Bgr24Rows rows = Rows(colour);
  const bool gray = document::IsGray(rows);
  std::vector<std::uint8_t> content(static_cast<std::size_t>(kContentWidth) * kContentHeight * 4);
  for (auto _ : state) {
    if (!document::AreaMeanReduce(rows, kZoom, kContentWidth, kContentHeight,
                                  document::ReducedFormat::kXrgb32, content.data(),
                                  static_cast<std::size_t>(kContentWidth) * 4, gray)) {
      state.SkipWithError("AreaMeanReduce failed");
      break;
    }
    benchmark::DoNotOptimize(content.data());
  }
  state.SetLabel(colour ? "2000x1600 colour -> 1282x1025" : "2000x1600 gray -> 1282x1025");
  state.counters["MPix/s"] = benchmark::Counter(
      static_cast<double>(kPrintWidth) * kPrintHeight * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}

// The gray test the view runs once per image to choose the one-channel reduction.
void BM_ViewGrayCheck(benchmark::State& state) {
  const document::Bgr24Rows rows = Rows(false);
  for (auto _ : state) benchmark::DoNotOptimize(document::IsGray(rows));
}

// Panning: a whole view copied out of the reduced content at a moving offset (the CPU work
// of the view's drawImage from a Format_RGB32 reduction onto a Format_RGB32 backing store).
void BM_ViewPanCopy(benchmark::State& state) {
  std::vector<std::uint32_t> content(static_cast<std::size_t>(kContentWidth) * kContentHeight,
                                     0xFF808080u);
  std::vector<std::uint32_t> view(static_cast<std::size_t>(kViewWidth) * kViewHeight);
  int step = 0;
  for (auto _ : state) {
    const int ox = step % (kContentWidth - kViewWidth + 1);
    const int oy = step % (kContentHeight - kViewHeight + 1);
    ++step;
    for (int y = 0; y < kViewHeight; ++y) {
      std::memcpy(&view[static_cast<std::size_t>(y) * kViewWidth],
                  &content[static_cast<std::size_t>(y + oy) * kContentWidth + ox],
                  static_cast<std::size_t>(kViewWidth) * 4);
    }
    benchmark::DoNotOptimize(view.data());
  }
}

#ifdef RIDGEVIEW_BENCH_QT
// The same through QPainter, as the view paints (raster engine, no display needed).
void BM_ViewPanPaint(benchmark::State& state) {
  QImage content(kContentWidth, kContentHeight, QImage::Format_RGB32);
  content.fill(0xFF808080u);
  QImage backing(kViewWidth, kViewHeight, QImage::Format_RGB32);
  int step = 0;
  for (auto _ : state) {
    const int ox = step % (kContentWidth - kViewWidth + 1);
    const int oy = step % (kContentHeight - kViewHeight + 1);
    ++step;
    QPainter painter(&backing);
    painter.drawImage(QPoint(0, 0), content, QRect(ox, oy, kViewWidth, kViewHeight));
    painter.end();
    benchmark::DoNotOptimize(backing.constBits());
  }
}
BENCHMARK(BM_ViewPanPaint)->Unit(benchmark::kMillisecond);
#endif

BENCHMARK(BM_ViewReduceAreaMean)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewGrayCheck)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewPanCopy)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ridgeview::bench

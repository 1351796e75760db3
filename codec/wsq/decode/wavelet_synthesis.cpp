#include "codec/wsq/decode/wavelet_synthesis.h"

#include <algorithm>

#include "codec/common/codec_memory.h"
#include "codec/common/parallel.h"
#include "codec/common/codes.h"
#include "codec/common/report.h"
#include "codec/wsq/wsq_format.h"

namespace ridgeview::codec {
namespace {

// Set-up values of one synthesis pass that depend only on the filter and line lengths.
struct PassSetup {
  bool even_taps;
  float sign0;
  int fold0;
  int low_centre, high_centre;
  int low_tap0, high_tap0;
  bool low_left0, high_left0, low_right0, high_right0;
};

PassSetup make_setup(int length, int hisize, int losize) {
  const bool even_length = length % 2 == 0;
  PassSetup s{};
  if (losize % 2 == 1) {
    s.even_taps = false;
    s.sign0 = 1.0f;
    s.fold0 = 0;
    s.low_centre = (losize - 1) / 4;
    s.high_centre = (hisize + 1) / 4 - 1;
    s.low_tap0 = ((losize - 1) / 2) % 2;
    s.high_tap0 = ((hisize + 1) / 2) % 2;
    s.low_left0 = false;
    s.high_left0 = true;
    s.low_right0 = even_length;
    s.high_right0 = !even_length;
  } else {
    s.even_taps = true;
    s.sign0 = -1.0f;
    s.fold0 = 2;
    s.low_centre = losize / 4 - 1 == -1 ? 0 : losize / 4 - 1;
    s.high_centre = hisize / 4 - 1 == -1 ? 0 : hisize / 4 - 1;
    s.low_tap0 = (losize / 2) % 2;
    s.high_tap0 = (hisize / 2) % 2;
    s.low_left0 = losize >= 4;
    s.high_left0 = hisize >= 4;
    s.low_right0 = even_length;
    s.high_right0 = true;
  }
  return s;
}

// Positions outside the line (possible only for lines shorter than the filters) are read
// from the nearest end of the line.
int clamp_index(int k, int length) { return std::clamp(k, 0, length - 1); }

// A term list of at most 128 products (filters have at most 255 taps).
struct LowTerms {
  int index[128];
  float coefficient[128];
  int count = 0;
};

// A walker over one half of the line.
struct Walker {
  int pos, step, tap;
  bool left;
};

// Carries out the walkers' steps on one line of real samples: the plain synthesis.
struct ComputeSink {
  const float* in;
  float* out;
  std::ptrdiff_t step;
  int length;

  // Low taps store their sum: the first product, then each further product added in turn.
  void Low(int out_pos, const LowTerms& t) const {
    float acc = in[t.index[0] * step] * t.coefficient[0];
    for (int i = 1; i < t.count; ++i) acc = in[t.index[i] * step] * t.coefficient[i] + acc;
    if (out_pos < length) out[out_pos * step] = acc;
  }
  // High taps add to what is there.
  void High(int out_pos, int index, float coefficient, float sign) const {
    if (out_pos < length) {
      float& y = out[out_pos * step];
      y = (coefficient * in[index * step]) * sign + y;
    }
  }
};

// Records the walkers' steps as a filter plan instead of computing them.
struct RecordSink {
  PlanBuilder& builder;
  int length;

  void Low(int out_pos, const LowTerms& t) const {
    if (out_pos >= length) return;
    builder.Store(out_pos, t.index[0], t.coefficient[0]);
    for (int i = 1; i < t.count; ++i) builder.Add(out_pos, t.index[i], t.coefficient[i]);
  }
  void High(int out_pos, int index, float coefficient, float sign) const {
    if (out_pos >= length) return;
    // A plan sums plain products; other signs only occur with even-length filters.
    if (sign != 1.0f) builder.Refuse();
    builder.Add(out_pos, index, coefficient);
  }
};

template <class Sink>
void low_taps(const Sink& sink, int length, const PassSetup& s, const float* lo, int losize,
              int first, int last, const Walker& w, int tap_from, int tap_to, int& out_pos) {
  for (int tap = tap_from; tap >= tap_to; --tap) {
    bool left = w.left, right = s.low_right0;
    int p = w.pos, step = w.step;
    LowTerms terms;
    // A tap beyond the filter (tiny filters in a tail) contributes a zero product.
    terms.index[0] = clamp_index(p, length);
    terms.coefficient[0] = tap < losize ? lo[tap] : 0.0f;
    terms.count = 1;
    for (int i = tap + 2; i < losize; i += 2) {
      if (p == first) {
        if (left) {
          step = 0;
          left = false;
        } else {
          step = 1;
        }
      }
      if (p == last) {
        if (right) {
          step = 0;
          right = false;
        } else {
          step = -1;
        }
      }
      p += step;
      terms.index[terms.count] = clamp_index(p, length);
      terms.coefficient[terms.count++] = lo[i];
    }
    sink.Low(out_pos, terms);
    ++out_pos;
  }
}

template <class Sink>
void high_taps(const Sink& sink, int length, const PassSetup& s, const float* hi, int hisize,
               int first, int last, const Walker& w, float walker_sign, int tap_from,
               int tap_to, int& out_pos, bool fold_carried, int& carried_fold) {
  const bool odd_line = length % 2 == 1;
  for (int tap = tap_from; tap >= tap_to; --tap) {
    bool left = w.left, right = s.high_right0;
    int p = w.pos, step = w.step;
    int fold_value = fold_carried ? carried_fold : s.fold0;
    int& fold = fold_carried ? carried_fold : fold_value;
    float sign = walker_sign;
    for (int i = tap; i < hisize; i += 2) {
      if (p == first) {
        if (left) {
          step = 0;
          left = false;
        } else {
          step = 1;
          sign = 1.0f;
        }
      }
      if (p == last) {
        if (right) {
          step = 0;
          right = false;
          if (s.even_taps && odd_line) {
            right = true;
            fold -= 1;
            sign = static_cast<float>(fold);
            if (sign == 0.0f) right = false;
          }
        } else {
          step = -1;
          if (s.even_taps) sign = -1.0f;
        }
      }
      sink.High(out_pos, clamp_index(p, length), hi[i], sign);
      p += step;
    }
    ++out_pos;
  }
}

// Runs the low and high walkers over one line of `length` samples, handing every sum to the
// sink. The sink's output starts with its first two samples set to 0 (ComputeSink's caller
// does that).
template <class Sink>
void walk_line(const Sink& sink, int length, const PassSetup& s, const float* hi, int hisize,
               const float* lo, int losize, bool swap_halves) {
  const bool odd_line = length % 2 == 1;
  const int low_count = odd_line ? (length + 1) / 2 : length / 2;
  const int high_count = odd_line ? low_count - 1 : length / 2;

  const int low_first = swap_halves ? high_count : 0;
  const int low_last = low_first + low_count - 1;
  const int high_first = swap_halves ? 0 : low_count;
  const int high_last = high_first + high_count - 1;

  Walker low{low_first + s.low_centre, -1, s.low_tap0, s.low_left0};
  Walker high{high_first + s.high_centre, -1, s.high_tap0, s.high_left0};
  float high_sign = s.sign0;
  int low_out = 0, high_out = 0;
  int unused_fold = 0;

  for (int n = 0; n < high_count; ++n) {
    low_taps(sink, length, s, lo, losize, low_first, low_last, low, low.tap, 0, low_out);
    if (low.pos == low_first) {
      if (low.left) {
        low.step = 0;
        low.left = false;
      } else {
        low.step = 1;
      }
    }
    low.pos += low.step;
    low.tap = 1;

    high_taps(sink, length, s, hi, hisize, high_first, high_last, high, high_sign, high.tap, 0,
              high_out, false, unused_fold);
    if (high.pos == high_first) {
      if (high.left) {
        high.step = 0;
        high.left = false;
      } else {
        high.step = 1;
        high_sign = 1.0f;
      }
    }
    high.pos += high.step;
    high.tap = 1;
  }

  // Tails: the last taps of each half that the main loop did not produce.
  const int last_low_tap = odd_line ? (s.low_tap0 == 1 ? 1 : 0) : (s.low_tap0 == 1 ? 2 : 1);
  low_taps(sink, length, s, lo, losize, low_first, low_last, low, 1, last_low_tap, low_out);

  const int last_high_tap = odd_line ? (s.high_tap0 == 1 ? 1 : 0) : (s.high_tap0 == 1 ? 2 : 1);
  if (odd_line && hisize == 2) {
    high.pos -= high.step;
    int fold = 1;
    high_taps(sink, length, s, hi, hisize, high_first, high_last, high, high_sign, 1, last_high_tap,
              high_out, true, fold);
  } else {
    high_taps(sink, length, s, hi, hisize, high_first, high_last, high, high_sign, 1, last_high_tap,
              high_out, false, unused_fold);
  }
}

// The synthesis filters with the highpass taps negated when the lowpass length is even, as
// the walkers use them.
struct SignedFilters {
  float negated[256];
  const float* hi;
  PassSetup setup;

  SignedFilters(int length, const float* hifilt, int hisize, int losize)
      : setup(make_setup(length, hisize, losize)) {
    hi = hifilt;
    if (setup.even_taps) {
      for (int i = 0; i < hisize; ++i) {
        negated[i] = static_cast<float>(static_cast<double>(hifilt[i]) * -1.0);
      }
      hi = negated;
    }
  }
};

// Both synthesis filters must have been read: 0, or WSQ_LOPASS_UNDEFINED /
// WSQ_HIPASS_UNDEFINED with their messages.
int check_filters(const transform_table& dtt) {
  if (!dtt.lo_defined || !dtt.lofilt) {
    report(msg::WSQ_LOPASS_UNDEFINED);
    return WSQ_LOPASS_UNDEFINED;
  }
  if (!dtt.hi_defined || !dtt.hifilt) {
    report(msg::WSQ_HIPASS_UNDEFINED);
    return WSQ_HIPASS_UNDEFINED;
  }
  return 0;
}

}  // namespace

void synthesis_pass(float* output, const float* input, int lines, int length,
                    std::ptrdiff_t line_step, std::ptrdiff_t sample_step, const float* hifilt,
                    int hisize, const float* lofilt, int losize, bool swap_halves) {
  if (lines <= 0 || length <= 0) return;
  const SignedFilters f(length, hifilt, hisize, losize);
  for (int n = 0; n < lines; ++n) {
    const ComputeSink sink{input + n * line_step, output + n * line_step, sample_step, length};
    sink.out[0] = 0.0f;
    if (length > 1) sink.out[sample_step] = 0.0f;
    walk_line(sink, length, f.setup, f.hi, hisize, lofilt, losize, swap_halves);
  }
}

bool build_synthesis_plan(PlanBuilder& builder, FilterPlan& plan, std::int64_t length,
                          const float* hifilt, int hisize, const float* lofilt, int losize,
                          bool swap_halves) {
  if (length <= 0 || length > 0x7FFFFFFF) return false;
  const auto n = static_cast<int>(length);
  if (!builder.Begin(n)) return false;
  const SignedFilters f(n, hifilt, hisize, losize);
  if (f.setup.even_taps) return false;
  walk_line(RecordSink{builder, n}, n, f.setup, f.hi, hisize, lofilt, losize, swap_halves);
  return builder.Finish(plan, 2, 1);
}

namespace {

TransformPlans synthesis_plans(const transform_table& dtt) {
  return TransformPlans(PlanKind::synthesis, build_synthesis_plan, dtt.lofilt.get(), dtt.losize,
                        dtt.hifilt.get(), dtt.hisize);
}

int no_memory() {
  report(msg::WSQ_RECONSTRUCT_ALLOC);
  return WSQ_RECONSTRUCT_ALLOC;
}

}  // namespace

int wsq_reconstruct(float* image, int width, int height, const wavelet_tree_node* w_tree,
                    int first_node, int last_node, const transform_table& dtt,
                    const SimdKernels* kernels, float* work, int threads) {
  if (int ret = check_filters(dtt)) return ret;
  TransformPlans plans = synthesis_plans(dtt);
  if (kernels != nullptr && first_node <= last_node &&
      !plans.Allocate(width > height ? width : height, 0, threads)) {
    return no_memory();
  }
  const float* hi = dtt.hifilt.get();
  const float* lo = dtt.lofilt.get();
  for (int node = last_node; node >= first_node; --node) {
    const wavelet_tree_node& t = w_tree[node];
    float* base = image + static_cast<std::ptrdiff_t>(t.y) * width + t.x;
    // Columns: the node's columns lie next to each other, one lane each.
    const FilterPlan* columns = t.dx > 0 ? plans.For(t.dy, t.ic != 0) : nullptr;
    if (columns != nullptr) {
      plans.Columns(*kernels, *columns, base, work, width, t.dx);
    } else {
      synthesis_pass(work, base, t.dx, t.dy, 1, width, hi, dtt.hisize, lo, dtt.losize,
                     t.ic != 0);
    }
    // Rows.
    const FilterPlan* rows = t.dy > 0 ? plans.For(t.dx, t.ir != 0) : nullptr;
    if (rows != nullptr) {
      plans.Rows(*kernels, *rows, work, base, width, t.dy);
    } else {
      synthesis_pass(base, work, t.dy, t.dx, width, 1, hi, dtt.hisize, lo, dtt.losize,
                     t.ir != 0);
    }
  }
  return 0;
}

int RootToGray::Prepare(const float* image, int width, int height, const wavelet_tree_node& root,
                        const transform_table& dtt, const SimdKernels* kernels, int threads) {
  image_ = nullptr;
  if (int ret = check_filters(dtt)) return ret;
  if (kernels == nullptr || root.x != 0 || root.y != 0 || root.dx != width ||
      root.dy != height || width <= 0 || height <= 0) {
    return kNotApplicable;
  }
  plans_.emplace(synthesis_plans(dtt));
  const std::size_t band_floats = static_cast<std::size_t>(kBand) * static_cast<std::size_t>(width);
  if (!plans_->Allocate(width > height ? width : height, band_floats, threads)) {
    return no_memory();
  }
  // Both plans are needed at once, so both must be kept ones; else the plain root pass runs.
  if (plans_->For(height, root.ic != 0) == nullptr || plans_->For(width, root.ir != 0) == nullptr) {
    return kNotApplicable;
  }
  columns_ = plans_->Kept(height, root.ic != 0);
  rows_ = plans_->Kept(width, root.ir != 0);
  if (columns_ == nullptr || rows_ == nullptr) return kNotApplicable;
  image_ = image;
  width_ = width;
  height_ = height;
  kernels_ = kernels;
  return kReady;
}

void RootToGray::Run(std::uint8_t* pixels, float m_shift, float r_scale) {
  if (image_ == nullptr) return;
  const std::ptrdiff_t w = width_;
  // Bands only read the merged subbands and write their own pixel rows: pieces of whole bands
  // run on the threads side by side, each in its own band memory.
  const std::int64_t bands = (height_ + kBand - 1) / kBand;
  const int threads = plans_->threads();
  const int pieces = pieces_for(threads, static_cast<std::int64_t>(height_) * w, kMinPieceSamples);
  run_pieces(threads, pieces, [&](int piece) {
    std::int64_t first = 0, last = 0;
    piece_range(bands, pieces, piece, 1, &first, &last);
    float* band = plans_->extra(piece);
    for (std::int64_t b = first; b < last; ++b) {
      const int k0 = static_cast<int>(b * kBand);
      const int k1 = height_ - k0 < kBand ? height_ : k0 + kBand;
      kernels_->apply_column_outputs(*columns_, image_, w, w, k0, k1, band, w);
      kernels_->apply_rows(*rows_, band, band, w, k1 - k0, plans_->scratch(piece));
      for (int k = k0; k < k1; ++k) {
        kernels_->to_gray8(band + (k - k0) * w, pixels + k * w, static_cast<std::size_t>(w),
                           m_shift, r_scale);
      }
    }
  });
}

}  // namespace ridgeview::codec

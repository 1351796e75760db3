#include "codec/wsq/decode/wavelet_synthesis.h"

#include <algorithm>

#include "codec/common/codec_memory.h"
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

// One line's view: sample k of the input is in[k * step]; positions are sample indices.
// Positions outside the line (possible only for lines shorter than the filters) are read
// from the nearest end of the line.
struct Line {
  const float* in;
  float* out;
  std::ptrdiff_t step;
  int length;

  float at(int k) const { return in[std::clamp(k, 0, length - 1) * step]; }
  float& out_at(int k) const { return out[k * step]; }
};

// A walker over one half of the line.
struct Walker {
  int pos, step, tap;
  bool left;
};

void low_taps(const Line& line, const PassSetup& s, const float* lo, int losize, int first,
              int last, const Walker& w, int tap_from, int tap_to, int& out_pos) {
  for (int tap = tap_from; tap >= tap_to; --tap) {
    bool left = w.left, right = s.low_right0;
    int p = w.pos, step = w.step;
    float acc = tap < losize ? line.at(p) * lo[tap] : 0.0f;
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
      acc = line.at(p) * lo[i] + acc;
    }
    if (out_pos < line.length) line.out_at(out_pos) = acc;
    ++out_pos;
  }
}

void high_taps(const Line& line, const PassSetup& s, const float* hi, int hisize, int first,
               int last, const Walker& w, float walker_sign, int tap_from, int tap_to,
               int& out_pos, bool fold_carried, int& carried_fold) {
  const bool odd_line = line.length % 2 == 1;
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
      if (out_pos < line.length) {
        float& out = line.out_at(out_pos);
        out = (hi[i] * line.at(p)) * sign + out;
      }
      p += step;
    }
    ++out_pos;
  }
}

void synthesize_line(const Line& line, const PassSetup& s, const float* hi, int hisize,
                     const float* lo, int losize, bool swap_halves) {
  const int length = line.length;
  const bool odd_line = length % 2 == 1;
  const int low_count = odd_line ? (length + 1) / 2 : length / 2;
  const int high_count = odd_line ? low_count - 1 : length / 2;

  line.out_at(0) = 0.0f;
  if (length > 1) line.out_at(1) = 0.0f;

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
    low_taps(line, s, lo, losize, low_first, low_last, low, low.tap, 0, low_out);
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

    high_taps(line, s, hi, hisize, high_first, high_last, high, high_sign, high.tap, 0,
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
  low_taps(line, s, lo, losize, low_first, low_last, low, 1, last_low_tap, low_out);

  const int last_high_tap = odd_line ? (s.high_tap0 == 1 ? 1 : 0) : (s.high_tap0 == 1 ? 2 : 1);
  if (odd_line && hisize == 2) {
    high.pos -= high.step;
    int fold = 1;
    high_taps(line, s, hi, hisize, high_first, high_last, high, high_sign, 1, last_high_tap,
              high_out, true, fold);
  } else {
    high_taps(line, s, hi, hisize, high_first, high_last, high, high_sign, 1, last_high_tap,
              high_out, false, unused_fold);
  }
}

}  // namespace

void synthesis_pass(float* output, const float* input, int lines, int length,
                    std::ptrdiff_t line_step, std::ptrdiff_t sample_step, const float* hifilt,
                    int hisize, const float* lofilt, int losize, bool swap_halves) {
  if (lines <= 0 || length <= 0) return;
  const PassSetup setup = make_setup(length, hisize, losize);

  // With an even lowpass length the highpass taps are used negated.
  float negated[256];
  const float* hi = hifilt;
  if (setup.even_taps) {
    for (int i = 0; i < hisize; ++i) {
      negated[i] = static_cast<float>(static_cast<double>(hifilt[i]) * -1.0);
    }
    hi = negated;
  }

  for (int n = 0; n < lines; ++n) {
    const Line line{input + n * line_step, output + n * line_step, sample_step, length};
    synthesize_line(line, setup, hi, hisize, lofilt, losize, swap_halves);
  }
}

int wsq_reconstruct(float* image, int width, int height, const wavelet_tree_node* w_tree,
                    int w_treelen, const transform_table& dtt) {
  if (!dtt.lo_defined || !dtt.lofilt) {
    report("ERROR: wsq_reconstruct : Lopass filter coefficients not defined\n");
    return -95;
  }
  if (!dtt.hi_defined || !dtt.hifilt) {
    report("ERROR: wsq_reconstruct : Hipass filter coefficients not defined\n");
    return -96;
  }
  CodecPtr<float[]> work(static_cast<float*>(
      codec_malloc(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                   sizeof(float))));
  if (!work) {
    report("ERROR : wsq_reconstruct : malloc : fdata1\n");
    return -97;
  }
  for (int node = w_treelen - 1; node >= 0; --node) {
    const wavelet_tree_node& t = w_tree[node];
    float* base = image + static_cast<std::ptrdiff_t>(t.y) * width + t.x;
    synthesis_pass(work.get(), base, t.dx, t.dy, 1, width, dtt.hifilt.get(), dtt.hisize,
                   dtt.lofilt.get(), dtt.losize, t.ic != 0);
    synthesis_pass(base, work.get(), t.dy, t.dx, width, 1, dtt.hifilt.get(), dtt.hisize,
                   dtt.lofilt.get(), dtt.losize, t.ir != 0);
  }
  return 0;
}

}  // namespace ridgeview::codec

// One-dimensional filtering plans shared by wavelet analysis and synthesis.
//
// A plan lists, for every output sample of a line, the input samples and coefficients whose
// products are summed into it, in the order they are summed: out = p0; out = out + p1; ...
// with each product x[index] * coefficient rounded to single precision and every sum
// rounded too. Applying a plan to many lines at once (one SIMD lane per line) repeats exactly
// that order in every lane, so the fast kernels give the same bits as the plain loops.
//
// Outputs whose terms only shift by a fixed number of input samples from one output to the
// next (every second output of a synthesis, every output of one half of an analysis, in the
// interior of a line) are stored once as a run.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/common/codec_memory.h"

namespace ridgeview::codec {

inline constexpr int kMaxPlanTerms = 16;  // longest sum a plan may hold per output

struct FilterTerm {
  std::int32_t index;  // input sample (of output `first` of the run; + r for the r-th)
  float coefficient;
};

// Outputs first, first + step, ..., `count` of them; the r-th sums the run's terms with
// every index increased by r * index_step.
struct FilterRun {
  std::int32_t first;
  std::int32_t step;
  std::int32_t count;
  std::int32_t term_begin;
  std::int32_t term_count;  // 1..kMaxPlanTerms
  std::int32_t index_step;
};

// A plan over caller-provided storage (see PlanArena).
struct FilterPlan {
  std::int32_t length = 0;  // samples per line (input and output)
  FilterRun* runs = nullptr;
  std::int32_t run_count = 0;
  FilterTerm* terms = nullptr;
  std::int32_t term_count = 0;
  std::int32_t* run_of = nullptr;  // per output: the run it belongs to
  std::int32_t* order = nullptr;   // the outputs by where their input starts
};

// Collects the terms of each output of one line while a plan is being built, then compresses
// them into runs. Storage comes from one caller-owned block (sized by BytesFor) so that a
// transform makes a single allocation for everything.
class PlanBuilder {
 public:
  // Bytes of storage needed for lines of up to `max_length` samples.
  static std::size_t BytesFor(std::int64_t max_length);

  PlanBuilder(void* storage, std::size_t bytes);

  // Starts a plan for lines of `length` samples; every output starts unset.
  bool Begin(std::int32_t length);
  // Output k is replaced by the single product term (index, coefficient).
  void Store(std::int32_t k, std::int32_t index, float coefficient);
  // A product term is added to output k (after its store).
  void Add(std::int32_t k, std::int32_t index, float coefficient);
  // Marks the plan unusable (a step the plans cannot express).
  void Refuse() { ok_ = false; }
  // The compressed plan, or false when some output was never stored, was added to before its
  // store, or has more than kMaxPlanTerms terms. Runs join outputs `output_step` apart whose
  // term indices differ by `index_step`.
  bool Finish(FilterPlan& plan, std::int32_t output_step, std::int32_t index_step);

 private:
  struct Slot {
    std::int32_t count;  // terms so far; -1 while unset
    FilterTerm terms[kMaxPlanTerms];
  };
  static std::size_t BytesPerOutput();
  Slot* slots_ = nullptr;
  std::int32_t capacity_ = 0;  // slots available
  FilterRun* runs_ = nullptr;
  std::int32_t* run_of_ = nullptr;
  std::int32_t* order_ = nullptr;
  FilterTerm* out_terms_ = nullptr;
  std::int32_t length_ = 0;
  bool ok_ = false;
};

// The kind of pass a plan does.
enum class PlanKind : std::int32_t { none = 0, synthesis = 1, analysis = 2 };

// What a plan depends on: the kind of pass, the line length, the halves' order and the
// filters themselves (so that files with other synthesis filters get plans of their own).
struct PlanKey {
  static constexpr int kMaxTaps = 2 * kMaxPlanTerms;
  PlanKind kind = PlanKind::none;
  std::int32_t length = 0;
  std::int32_t flag = 0;  // swap_halves or invert
  std::int32_t lo_len = 0, hi_len = 0;
  float lo[kMaxTaps] = {}, hi[kMaxTaps] = {};

  // False when a filter is longer than a key holds: such plans are not kept.
  bool Set(PlanKind kind_, std::int32_t length_, bool flag_, const float* lofilt, int lo_taps,
           const float* hifilt, int hi_taps);
  bool operator==(const PlanKey& other) const;
};

// Plans kept on the calling thread between transforms: every image of one size meets the same
// few line lengths, and building a plan costs about as much as applying it to a small image.
// At most 64 plans and 8 MiB per thread; the least recently used goes first. The memory is
// not counted among the codec's allocations and a failure to get it only means the plan is
// built again next time. Kept plans are freed when their thread ends.
const FilterPlan* FindKeptPlan(const PlanKey& key);
// Keeps a copy of `plan`; returns it, or null when it could not be kept.
const FilterPlan* KeepPlan(const PlanKey& key, const FilterPlan& plan);

// Plain application, the reference for the fast kernels: line l's sample j is at
// in[l * line_step + j * sample_step]; outputs go to the same layout in `out`.
void apply_plan_plain(const FilterPlan& plan, const float* in, float* out, std::int64_t lines,
                      std::ptrdiff_t line_step, std::ptrdiff_t sample_step);

}  // namespace ridgeview::codec

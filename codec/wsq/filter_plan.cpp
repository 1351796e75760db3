#include "codec/wsq/filter_plan.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace ridgeview::codec {

std::size_t PlanBuilder::BytesPerOutput() {
  // Per output: its slot while building, and at most one run, kMaxPlanTerms terms, its run
  // number and its place in the order after. All are made of 4-byte fields.
  return sizeof(Slot) + sizeof(FilterRun) + kMaxPlanTerms * sizeof(FilterTerm) +
         2 * sizeof(std::int32_t);
}

std::size_t PlanBuilder::BytesFor(std::int64_t max_length) {
  return static_cast<std::size_t>(max_length < 1 ? 1 : max_length) * BytesPerOutput();
}

PlanBuilder::PlanBuilder(void* storage, std::size_t bytes) {
  const std::size_t n = bytes / BytesPerOutput();
  capacity_ = static_cast<std::int32_t>(n > 0x7FFFFFFF ? 0x7FFFFFFF : n);
  auto* base = static_cast<unsigned char*>(storage);
  slots_ = reinterpret_cast<Slot*>(base);
  runs_ = reinterpret_cast<FilterRun*>(base + n * sizeof(Slot));
  out_terms_ = reinterpret_cast<FilterTerm*>(base + n * (sizeof(Slot) + sizeof(FilterRun)));
  run_of_ = reinterpret_cast<std::int32_t*>(
      base + n * (sizeof(Slot) + sizeof(FilterRun) + kMaxPlanTerms * sizeof(FilterTerm)));
  order_ = run_of_ + n;
}

bool PlanBuilder::Begin(std::int32_t length) {
  ok_ = length > 0 && length <= capacity_;
  length_ = ok_ ? length : 0;
  for (std::int32_t k = 0; k < length_; ++k) slots_[k].count = -1;
  return ok_;
}

void PlanBuilder::Store(std::int32_t k, std::int32_t index, float coefficient) {
  if (!ok_ || k < 0 || k >= length_) return;
  slots_[k].count = 1;
  slots_[k].terms[0] = {index, coefficient};
}

void PlanBuilder::Add(std::int32_t k, std::int32_t index, float coefficient) {
  if (!ok_ || k < 0 || k >= length_) return;
  Slot& s = slots_[k];
  if (s.count < 1 || s.count >= kMaxPlanTerms) {
    ok_ = false;
    return;
  }
  s.terms[s.count++] = {index, coefficient};
}

bool PlanBuilder::Finish(FilterPlan& plan, std::int32_t output_step, std::int32_t index_step) {
  if (!ok_ || output_step < 1 || output_step > 2) return false;
  for (std::int32_t k = 0; k < length_; ++k) {
    if (slots_[k].count < 1) return false;
  }
  // Each output either continues the run of the output `output_step` places before it (same
  // coefficients, every index `index_step` further) or starts a new run.
  std::int32_t run_count = 0, term_count = 0;
  std::int32_t open_run[2] = {-1, -1};  // per class of k modulo output_step
  for (std::int32_t k = 0; k < length_; ++k) {
    const Slot& s = slots_[k];
    const int cls = k % output_step;
    const std::int32_t r = open_run[cls];
    if (r >= 0) {
      FilterRun& run = runs_[r];
      const FilterTerm* t = out_terms_ + run.term_begin;
      bool same = run.term_count == s.count && run.first + run.count * output_step == k;
      for (std::int32_t i = 0; same && i < s.count; ++i) {
        same = t[i].coefficient == s.terms[i].coefficient &&
               t[i].index + run.count * index_step == s.terms[i].index;
      }
      if (same) {
        ++run.count;
        run_of_[k] = r;
        continue;
      }
    }
    FilterRun& run = runs_[run_count];
    run = {k, output_step, 1, term_count, s.count, index_step};
    for (std::int32_t i = 0; i < s.count; ++i) out_terms_[term_count++] = s.terms[i];
    run_of_[k] = run_count;
    open_run[cls] = run_count++;
  }
  plan.length = length_;
  plan.runs = runs_;
  plan.run_count = run_count;
  plan.terms = out_terms_;
  plan.term_count = term_count;
  plan.run_of = run_of_;
  // Outputs that start reading near each other are best computed one after the other: a
  // counting sort by the first input sample (always 0..length-1), keeping line order among
  // equals. The slots are not needed any more and hold the counts.
  auto first_index = [this](std::int32_t k) {
    const FilterRun& run = runs_[run_of_[k]];
    const std::int32_t i =
        out_terms_[run.term_begin].index + (k - run.first) / run.step * run.index_step;
    return i < 0 ? 0 : (i >= length_ ? length_ - 1 : i);
  };
  auto* counts = reinterpret_cast<std::int32_t*>(slots_);
  std::fill(counts, counts + length_ + 1, 0);
  for (std::int32_t k = 0; k < length_; ++k) ++counts[first_index(k) + 1];
  for (std::int32_t i = 0; i < length_; ++i) counts[i + 1] += counts[i];
  for (std::int32_t k = 0; k < length_; ++k) order_[counts[first_index(k)]++] = k;
  plan.order = order_;
  return true;
}

bool PlanKey::Set(PlanKind kind_, std::int32_t length_, bool flag_, const float* lofilt, int lo_taps,
                  const float* hifilt, int hi_taps) {
  if (lo_taps < 0 || hi_taps < 0 || lo_taps > kMaxTaps || hi_taps > kMaxTaps) return false;
  kind = kind_;
  length = length_;
  flag = flag_ ? 1 : 0;
  lo_len = lo_taps;
  hi_len = hi_taps;
  std::fill(lo, lo + kMaxTaps, 0.0f);
  std::fill(hi, hi + kMaxTaps, 0.0f);
  std::copy(lofilt, lofilt + lo_taps, lo);
  std::copy(hifilt, hifilt + hi_taps, hi);
  return true;
}

bool PlanKey::operator==(const PlanKey& o) const {
  // Coefficients compare by their bits: -0.0 and 0.0, or two NaNs, make different plans.
  return kind == o.kind && length == o.length && flag == o.flag && lo_len == o.lo_len &&
         hi_len == o.hi_len && std::memcmp(lo, o.lo, sizeof lo) == 0 &&
         std::memcmp(hi, o.hi, sizeof hi) == 0;
}

namespace {

struct KeptPlan {
  PlanKey key;
  FilterPlan plan;
  void* memory = nullptr;
  std::size_t bytes = 0;
  std::uint64_t used = 0;
};

struct KeptPlans {
  static constexpr int kEntries = 64;
  static constexpr std::size_t kMaxBytes = std::size_t{8} << 20;
  KeptPlan entries[kEntries];
  std::size_t total = 0;
  std::uint64_t clock = 0;

  ~KeptPlans() {
    for (KeptPlan& e : entries) std::free(e.memory);
  }
};
thread_local KeptPlans t_kept;

}  // namespace

const FilterPlan* FindKeptPlan(const PlanKey& key) {
  for (KeptPlan& e : t_kept.entries) {
    if (e.memory != nullptr && e.key == key) {
      e.used = ++t_kept.clock;
      return &e.plan;
    }
  }
  return nullptr;
}

const FilterPlan* KeepPlan(const PlanKey& key, const FilterPlan& plan) {
  const auto n = static_cast<std::size_t>(plan.length);
  const std::size_t bytes = static_cast<std::size_t>(plan.run_count) * sizeof(FilterRun) +
                            static_cast<std::size_t>(plan.term_count) * sizeof(FilterTerm) +
                            2 * n * sizeof(std::int32_t);
  if (bytes > KeptPlans::kMaxBytes / 4) return nullptr;
  KeptPlans& kept = t_kept;
  // Room: the least recently used plans go until this one fits.
  auto least_used = [&kept]() {
    KeptPlan* victim = nullptr;
    for (KeptPlan& e : kept.entries) {
      if (e.memory == nullptr) return &e;
      if (victim == nullptr || e.used < victim->used) victim = &e;
    }
    return victim;
  };
  KeptPlan* slot = least_used();
  while (slot->memory != nullptr && kept.total + bytes > KeptPlans::kMaxBytes) {
    kept.total -= slot->bytes;
    std::free(slot->memory);
    slot->memory = nullptr;
    slot = least_used();
  }
  if (slot->memory != nullptr) {
    kept.total -= slot->bytes;
    std::free(slot->memory);
    slot->memory = nullptr;
  }
  void* memory = std::malloc(bytes == 0 ? 1 : bytes);
  if (memory == nullptr) return nullptr;
  auto* runs = static_cast<FilterRun*>(memory);
  auto* terms = reinterpret_cast<FilterTerm*>(runs + plan.run_count);
  auto* run_of = reinterpret_cast<std::int32_t*>(terms + plan.term_count);
  auto* order = run_of + n;
  std::copy(plan.runs, plan.runs + plan.run_count, runs);
  std::copy(plan.terms, plan.terms + plan.term_count, terms);
  std::copy(plan.run_of, plan.run_of + n, run_of);
  std::copy(plan.order, plan.order + n, order);
  slot->key = key;
  slot->plan = FilterPlan{plan.length, runs, plan.run_count, terms, plan.term_count, run_of, order};
  slot->memory = memory;
  slot->bytes = bytes;
  slot->used = ++kept.clock;
  kept.total += bytes;
  return &slot->plan;
}

void apply_plan_plain(const FilterPlan& plan, const float* in, float* out, std::int64_t lines,
                      std::ptrdiff_t line_step, std::ptrdiff_t sample_step) {
  for (std::int64_t l = 0; l < lines; ++l) {
    const float* x = in + l * line_step;
    float* y = out + l * line_step;
    for (std::int32_t ri = 0; ri < plan.run_count; ++ri) {
      const FilterRun& run = plan.runs[ri];
      const FilterTerm* t = plan.terms + run.term_begin;
      for (std::int32_t r = 0; r < run.count; ++r) {
        const std::int32_t shift = r * run.index_step;
        float acc = x[(t[0].index + shift) * sample_step] * t[0].coefficient;
        for (std::int32_t i = 1; i < run.term_count; ++i) {
          acc = acc + x[(t[i].index + shift) * sample_step] * t[i].coefficient;
        }
        y[(run.first + r * run.step) * sample_step] = acc;
      }
    }
  }
}

}  // namespace ridgeview::codec

#include "codec/wsq/filter_plan.h"

#include <algorithm>

namespace ridgeview::codec {

std::size_t PlanBuilder::BytesFor(std::int64_t max_length) {
  const auto n = static_cast<std::size_t>(max_length < 1 ? 1 : max_length);
  // Per output: its slot while building, and at most one run, kMaxPlanTerms terms, its run
  // number and its place in the order after.
  return n * (sizeof(Slot) + sizeof(FilterRun) + kMaxPlanTerms * sizeof(FilterTerm) +
              2 * sizeof(std::int32_t)) +
         64;
}

PlanBuilder::PlanBuilder(void* storage, std::size_t bytes) {
  const std::size_t per = sizeof(Slot) + sizeof(FilterRun) +
                          kMaxPlanTerms * sizeof(FilterTerm) + 2 * sizeof(std::int32_t);
  const std::size_t n = bytes > 64 ? (bytes - 64) / per : 0;
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

namespace {

std::size_t cache_slot_bytes(std::int64_t max_length) {
  const auto n = static_cast<std::size_t>(max_length < 1 ? 1 : max_length);
  return 2 * n * sizeof(std::int32_t) + 64 * sizeof(FilterRun) + 512 * sizeof(FilterTerm);
}

}  // namespace

std::size_t PlanCache::BytesFor(std::int64_t max_length) {
  return kSlots * cache_slot_bytes(max_length);
}

PlanCache::PlanCache(void* storage, std::size_t bytes, std::int64_t max_length)
    : storage_(static_cast<unsigned char*>(storage)),
      slot_bytes_(cache_slot_bytes(max_length)),
      max_length_(max_length) {
  if (bytes < BytesFor(max_length)) storage_ = nullptr;
}

const FilterPlan* PlanCache::Find(std::int32_t length, int key) const {
  for (int i = 0; i < used_; ++i) {
    if (slots_[i].length == length && slots_[i].key == key) return &slots_[i].plan;
  }
  return nullptr;
}

const FilterPlan& PlanCache::Keep(std::int32_t length, int key, const FilterPlan& plan) {
  if (storage_ == nullptr || used_ == kSlots || length > max_length_ ||
      plan.run_count > kMaxRuns || plan.term_count > kMaxTerms) {
    return plan;
  }
  unsigned char* base = storage_ + static_cast<std::size_t>(used_) * slot_bytes_;
  const auto n = static_cast<std::size_t>(length);
  auto* run_of = reinterpret_cast<std::int32_t*>(base);
  auto* order = run_of + n;
  auto* runs = reinterpret_cast<FilterRun*>(base + 2 * static_cast<std::size_t>(max_length_) *
                                                        sizeof(std::int32_t));
  auto* terms = reinterpret_cast<FilterTerm*>(runs + kMaxRuns);
  std::copy(plan.run_of, plan.run_of + n, run_of);
  std::copy(plan.order, plan.order + n, order);
  std::copy(plan.runs, plan.runs + plan.run_count, runs);
  std::copy(plan.terms, plan.terms + plan.term_count, terms);
  Slot& slot = slots_[used_++];
  slot.length = length;
  slot.key = key;
  slot.plan = FilterPlan{plan.length, runs, plan.run_count, terms, plan.term_count, run_of, order};
  return slot.plan;
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

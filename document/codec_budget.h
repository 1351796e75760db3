// The WSQ codec's memory budget fitted to the machine it runs on.
#pragma once

namespace ridgeview::document {

// Lowers the codec's memory budget (ridgeview_wsq_memory_budget) to three quarters of the machine's
// physical memory, so that a file declaring a huge frame is refused before the decoder
// reserves memory the machine does not have. Never raises the budget above its current value,
// so calling it again, or after a test lowered the budget, changes nothing. Does nothing when
// the physical memory cannot be read.
void FitCodecBudgetToMachine();

}  // namespace ridgeview::document

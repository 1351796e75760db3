// Work of one codec call split over threads.
//
// The calling thread always does a share of the work itself; the others come from one pool of
// helper threads, started the first time a call asks for more than one thread and kept for the
// life of the process (sized to the processors the process may run on, less one). Pieces must
// write disjoint memory and compute each value the same way whoever runs them: the results are
// then the same bit for bit for every thread count.
//
// Calls on different threads may split work at the same time: the pool serves one call at a
// time, and a call that finds it busy runs all its pieces itself (never waiting for another
// call's work). In a process made by fork() the pool's threads do not exist: a call there
// takes every piece itself (a fork in the middle of another thread's split work is the one
// case not covered: the pool's lock may then be held in the child).
#pragma once

#include <cstdint>
#include <functional>

namespace ridgeview::codec {

// Most threads one call uses.
inline constexpr int kMaxCodecThreads = 64;

// Threads a call that asks for `requested` uses: `requested` itself when 1 or more (at most
// kMaxCodecThreads), else the default: what codec_set_default_threads set (a program that
// knows the processors it may run on says so), or the processors the system reports.
int codec_thread_count(int requested);
void codec_set_default_threads(int threads);  // 0 or less: back to the system's count

// Runs piece(0) ... piece(pieces - 1) on up to `threads` threads, the caller's included, and
// returns when every piece has run. With threads or pieces of 1 (or fewer) it simply calls
// them in order on this thread.
void run_pieces(int threads, int pieces, const std::function<void(int piece)>& piece);

// The pieces worth making of `work` units when a piece should hold at least `min_work`: at
// most `threads`, at least 1.
int pieces_for(int threads, std::int64_t work, std::int64_t min_work);

// Piece `i` of `pieces` contiguous pieces of [0, count): [*begin, *end). Piece boundaries are
// multiples of `align` (except the end), so vector code sees whole groups of lines.
void piece_range(std::int64_t count, int pieces, int i, std::int64_t align, std::int64_t* begin,
                 std::int64_t* end);

}  // namespace ridgeview::codec

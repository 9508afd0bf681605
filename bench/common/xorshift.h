// The benchmarks' input generator: a 64-bit xorshift with a fixed seed, so
// every run measures the same data without the cost of a library engine.
#ifndef VQ_BENCH_XORSHIFT_H
#define VQ_BENCH_XORSHIFT_H

namespace vqbench {

struct XorShift {
  unsigned long long state = 88172645463325252ull;
  unsigned long long operator()() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  }
};

} // namespace vqbench

#endif

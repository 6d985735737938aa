// random.h - the corpus generator's own pseudo-random numbers (xoshiro256**
// seeded through splitmix64), so that a seed gives the same bytes with any
// standard library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tessaly::bench {

class Random {
public:
    explicit Random(uint64_t seed) {
        for (uint64_t& word : state_) {
            seed += 0x9E3779B97F4A7C15ull;
            uint64_t z = seed;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            word = z ^ (z >> 31);
        }
    }

    uint64_t next() {
        const uint64_t result = rotl(state_[1] * 5, 7) * 9;
        const uint64_t t = state_[1] << 17;
        state_[2] ^= state_[0];
        state_[3] ^= state_[1];
        state_[1] ^= state_[2];
        state_[0] ^= state_[3];
        state_[2] ^= t;
        state_[3] = rotl(state_[3], 45);
        return result;
    }

    // A number in [0, n); 0 when n is 0. The tiny bias of the multiply-shift
    // does not matter here.
    uint64_t below(uint64_t n) {
        return static_cast<uint64_t>((static_cast<unsigned __int128>(next()) * n) >> 64);
    }
    // A number in [lo, hi].
    uint64_t range(uint64_t lo, uint64_t hi) { return lo + below(hi - lo + 1); }
    // True `per` times in `outOf`.
    bool chance(uint64_t per, uint64_t outOf) { return below(outOf) < per; }
    // A number in [0, n) skewed towards 0 (the smaller of two draws).
    uint64_t skewed(uint64_t n) {
        const uint64_t a = below(n);
        const uint64_t b = below(n);
        return a < b ? a : b;
    }

    template <class T, size_t N>
    const T& pick(const T (&items)[N]) {
        return items[below(N)];
    }

    // Appends `count` pseudo-random bytes.
    void appendBytes(std::string& out, size_t count) {
        const size_t start = out.size();
        out.resize(start + count);
        char* p = out.data() + start;
        for (size_t left = count; left > 0;) {
            uint64_t word = next();
            for (int i = 0; i < 8 && left > 0; ++i, --left) {
                *p++ = static_cast<char>(word & 0xFF);
                word >>= 8;
            }
        }
    }

private:
    static uint64_t rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    uint64_t state_[4];
};

}  // namespace tessaly::bench

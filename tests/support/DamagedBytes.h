#pragma once
// Damaged copies of a good sample, for feeding readers of outside bytes: cut-off prefixes and copies
// with a few bytes changed. Every copy is a buffer of exactly its own length, so that a sanitizer build
// sees any read past the end.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

namespace lumivo::test
{

using Bytes = std::vector<std::uint8_t>;

// Runs `check` on prefixes of the sample (every length near both ends, a spread in between) and on
// `changed` copies with one to four bytes damaged at random places. The random source is seeded, so a
// failure repeats.
inline void forEachDamagedCopy(const Bytes& sample, const std::function<void(const Bytes&)>& check,
                               int changed = 150)
{
    std::vector<std::size_t> lengths;
    for (std::size_t n = 0; n < sample.size(); n += std::max<std::size_t>(1, sample.size() / 48))
        lengths.push_back(n);
    for (std::size_t n = 0; n < 40 && n < sample.size(); ++n) {
        lengths.push_back(n);
        lengths.push_back(sample.size() - 1 - n);
    }
    for (std::size_t length : lengths)
        check(Bytes(sample.begin(), sample.begin() + std::ptrdiff_t(length)));

    std::mt19937 random(1234);
    for (int i = 0; i < changed && !sample.empty(); ++i) {
        Bytes copy = sample;
        const int damaged = 1 + int(random() % 4);
        for (int d = 0; d < damaged; ++d) {
            // Headers decide the most, so half of the damage lands in the first 64 bytes.
            const std::size_t span = (random() & 1) ? std::min<std::size_t>(64, copy.size()) : copy.size();
            const std::size_t at = random() % span;
            if (random() & 1)
                copy[at] ^= std::uint8_t(1u << (random() % 8));
            else
                copy[at] = std::uint8_t(random());
        }
        check(copy);
    }
}

} // namespace lumivo::test

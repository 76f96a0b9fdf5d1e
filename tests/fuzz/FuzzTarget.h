#pragma once
// Fuzz targets: one per reader of outside bytes. Each target is a plain function that takes one input
// and checks more than "no crash" (a round trip gives the same result, nothing is lost). The same
// function runs under libFuzzer (tests/fuzz/entry, built by scripts/fuzz in a clang tree) and in the
// normal test suite, which replays every input kept under tests/fuzz/regressions/<target>/.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace lumivo::fuzz
{

using Bytes = std::vector<std::uint8_t>;

struct FuzzTarget {
    const char* name;
    void (*fuzzOne)(const std::uint8_t* data, std::size_t size);
    // Small valid inputs, made by the program's own writers: the starting corpus.
    std::vector<Bytes> (*seeds)();
};

// Each target file registers its target by a static object of this type.
struct FuzzTargetRegistration {
    explicit FuzzTargetRegistration(const FuzzTarget& target);
};

const std::vector<FuzzTarget>& fuzzTargets();
const FuzzTarget* findFuzzTarget(std::string_view name);

// A check of a target that did not hold: the input shows a fault. libFuzzer's entry turns it into a
// crash (so the input is kept); the replay test turns it into a failure.
class FuzzFailure : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

inline void fuzzCheck(bool condition, const std::string& what)
{
    if (!condition)
        throw FuzzFailure(what);
}

// Puts the program's globals back as they are at start-up, so that every input starts from the same
// state (FuzzResets.cpp keeps the list).
void resetGlobals();

} // namespace lumivo::fuzz

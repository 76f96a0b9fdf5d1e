#include "tests/fuzz/FuzzTarget.h"

namespace lumivo::fuzz
{

namespace
{
std::vector<FuzzTarget>& registry()
{
    static std::vector<FuzzTarget> targets;
    return targets;
}
} // namespace

FuzzTargetRegistration::FuzzTargetRegistration(const FuzzTarget& target)
{
    registry().push_back(target);
}

const std::vector<FuzzTarget>& fuzzTargets()
{
    return registry();
}

const FuzzTarget* findFuzzTarget(std::string_view name)
{
    for (const FuzzTarget& target : registry()) {
        if (name == target.name)
            return &target;
    }
    return nullptr;
}

} // namespace lumivo::fuzz

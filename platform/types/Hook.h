#pragma once
// A seam: where a lower layer calls code that a higher layer (or a test) supplies. A hook always holds a
// callable, so callers just call it: the module that declares it gives the default it falls back to.
// Higher layers install theirs with set(); tests use scoped(), which puts the previous one back at the
// end of the scope; the module's reset calls reset(). A hook has one follower: what several parts follow
// is a signal (the model's thePageEvents). See "Seams" in doc/design.md.
// Install and call a hook on the program's main thread only: it holds no lock.

#include <functional>
#include <utility>

namespace lumivo
{

template <class Signature> class Hook;

template <class Result, class... Args> class Hook<Result(Args...)>
{
public:
    using Function = std::function<Result(Args...)>;

    explicit Hook(Function fallback) : m_default(std::move(fallback)), m_current(m_default) {}
    Hook(const Hook&) = delete;
    Hook& operator=(const Hook&) = delete;

    Result operator()(Args... args) const { return m_current(std::forward<Args>(args)...); }

    // Installs `function` (an empty one puts the default back) and returns the one it replaces.
    Function set(Function function)
    {
        return std::exchange(m_current, function ? std::move(function) : m_default);
    }
    void reset() { m_current = m_default; }

    // Holds an installation for its lifetime, then puts back what was installed before.
    class [[nodiscard]] Scoped
    {
    public:
        Scoped(Hook& hook, Function function) : m_hook(hook), m_previous(hook.set(std::move(function))) {}
        ~Scoped() { m_hook.set(std::move(m_previous)); }
        Scoped(const Scoped&) = delete;
        Scoped& operator=(const Scoped&) = delete;

    private:
        Hook& m_hook;
        Function m_previous;
    };
    [[nodiscard]] Scoped scoped(Function function) { return Scoped(*this, std::move(function)); }

private:
    Function m_default;
    Function m_current;
};

} // namespace lumivo

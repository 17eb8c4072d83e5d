#pragma once
// A bound call packaged to run later, possibly on another thread.

#include <memory>
#include <type_traits>
#include <utility>

namespace PB {

class FunctorCall {
public:
    virtual ~FunctorCall() = default;
    virtual void call() = 0;
};

namespace functor_detail {
void traceDestroyed(bool hasResult);
}

// Owner is the class of the object kept alive until a posted call has run
// (bool when nothing is kept); Result is the bound call's result.
template <typename Functor, typename Owner, typename Result>
class FunctorCallImpl : public FunctorCall {
public:
    explicit FunctorCallImpl(Functor f) : keepAlive(false), boundCall(std::move(f)) {}
    FunctorCallImpl(std::shared_ptr<Owner> owner, Functor f)
        : keepAlive(true), keepAliveRef(std::move(owner)), boundCall(std::move(f))
    {
    }
    ~FunctorCallImpl() override { functor_detail::traceDestroyed(true); }

    void call() override { retVal = boundCall(); }

    bool keepAlive;
    std::shared_ptr<Owner> keepAliveRef;
    Functor boundCall;
    Result retVal{};
};

template <typename Functor, typename Owner>
class FunctorCallImpl<Functor, Owner, void> : public FunctorCall {
public:
    explicit FunctorCallImpl(Functor f) : boundCall(std::move(f)), keepAlive(false) {}
    FunctorCallImpl(std::shared_ptr<Owner> owner, Functor f)
        : boundCall(std::move(f)), keepAlive(true), keepAliveRef(std::move(owner))
    {
    }
    ~FunctorCallImpl() override { functor_detail::traceDestroyed(false); }

    void call() override { boundCall(); }

    Functor boundCall;
    bool keepAlive;
    std::shared_ptr<Owner> keepAliveRef;
};

}  // namespace PB

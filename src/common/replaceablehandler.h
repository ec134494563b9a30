#pragma once

#include <functional>
#include <utility>

template <typename Signature> class ReplaceableHandler;

// A function the program calls through one slot that tests (or the windows at
// start-up) may replace: the message box, the error handler, the question box,
// the link opener. Without a replacement the fallback given at construction
// runs.
template <typename R, typename... Args> class ReplaceableHandler<R(Args...)> {
public:
    using Function = std::function<R(Args...)>;

    explicit ReplaceableHandler(Function fallback)
        : fallback_(std::move(fallback))
    {
    }

    // Installs the handler; an empty one restores the fallback.
    void set(Function handler) { handler_ = std::move(handler); }
    // Restores the fallback.
    void reset() { handler_ = nullptr; }
    // True while a replacement is installed.
    bool isReplaced() const { return bool(handler_); }
    // Calls the replacement, or else the fallback.
    R operator()(Args... args) const
    {
        if (handler_)
            return handler_(std::forward<Args>(args)...);
        return fallback_(std::forward<Args>(args)...);
    }

    // Installs a replacement for the lifetime of the object and puts back
    // the previous one afterwards.
    class Override {
    public:
        Override(ReplaceableHandler &slot, Function handler)
            : slot_(slot)
            , previous_(std::exchange(slot.handler_, std::move(handler)))
        {
        }
        ~Override() { slot_.handler_ = std::move(previous_); }
        Override(const Override &) = delete;
        Override &operator=(const Override &) = delete;

    private:
        ReplaceableHandler &slot_;
        Function previous_;
    };

private:
    Function fallback_;
    Function handler_;
};

#pragma once
// A model's list of listeners beside its single view callback: several can follow one model, each
// ending its subscription itself, and a copy of the model starts without any.

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

template <class Event> class TListeners {
public:
    using Callback = std::function<void(const Event&)>;

    // Ends the subscription when it goes away; it must go before the list it subscribed to.
    class Subscription {
    public:
        Subscription() = default;
        Subscription(TListeners* List, uint64_t Id) : list_(List), id_(Id) {}
        Subscription(Subscription&& Other) noexcept
            : list_(std::exchange(Other.list_, nullptr)), id_(Other.id_) {}
        Subscription& operator=(Subscription&& Other) noexcept {
            if (this != &Other) {
                End();
                list_ = std::exchange(Other.list_, nullptr);
                id_ = Other.id_;
            }
            return *this;
        }
        Subscription(const Subscription&) = delete;
        Subscription& operator=(const Subscription&) = delete;
        ~Subscription() { End(); }

    private:
        void End() {
            if (list_) {
                list_->Remove(id_);
                list_ = nullptr;
            }
        }
        TListeners* list_ = nullptr;
        uint64_t id_ = 0;
    };

    TListeners() = default;
    // Listeners follow the model they subscribed to, never a copy of it.
    TListeners(const TListeners&) {}
    TListeners& operator=(const TListeners&) { return *this; }

    [[nodiscard]] Subscription Subscribe(Callback Listener) {
        entries_.emplace_back(++lastId_, std::move(Listener));
        return Subscription(this, lastId_);
    }

    bool Empty() const { return entries_.empty(); }

    // Listeners must neither subscribe nor end a subscription while they are told.
    void Notify(const Event& Change) const {
        for (const auto& entry : entries_) {
            entry.second(Change);
        }
    }

private:
    void Remove(uint64_t Id) {
        std::erase_if(entries_, [Id](const auto& entry) { return entry.first == Id; });
    }

    std::vector<std::pair<uint64_t, Callback>> entries_;
    uint64_t lastId_ = 0;
};

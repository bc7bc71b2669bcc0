#pragma once
// A 32-bit value that one thread writes whole and another reads without a lock.
// Relaxed atomics keep that contract race-free without any ordering cost.

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>

namespace tarvisk {

template <typename T>
class SharedValue {
public:
    static_assert(sizeof(T) == 4, "shared settings fields are 32-bit");
    constexpr SharedValue(T v = T{}) noexcept : value_(v) {}
    SharedValue(const SharedValue& other) noexcept : value_(other.Get()) {}
    SharedValue& operator=(const SharedValue& other) noexcept {
        Set(other.Get());
        return *this;
    }
    SharedValue& operator=(T v) noexcept {
        Set(v);
        return *this;
    }
    operator T() const noexcept { return Get(); }
    T Get() const noexcept { return value_.load(std::memory_order_relaxed); }
    void Set(T v) noexcept { value_.store(v, std::memory_order_relaxed); }
    // Read-and-clear for one-shot request flags.
    T Take() noexcept { return value_.exchange(T{}, std::memory_order_relaxed); }

private:
    std::atomic<T> value_;
};

using SharedInt = SharedValue<int32_t>;
using SharedFloat = SharedValue<float>;

// A short text shared between threads: copied whole under a small lock, never allocated
// on the shot path (CopyTo writes into a caller's fixed buffer).
template <size_t N>
class SharedText {
public:
    SharedText(std::string_view initial = {}) { Set(initial); }
    SharedText(const SharedText& other) { Set(other.Get()); }
    SharedText& operator=(const SharedText& other) {
        if (this != &other) Set(other.Get());
        return *this;
    }
    void Set(std::string_view text) {
        std::lock_guard<std::mutex> lock(mutex_);
        size_t n = std::min(text.size(), N - 1);
        std::memcpy(text_.data(), text.data(), n);
        text_[n] = '\0';
    }
    std::string Get() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::string(text_.data());
    }
    // Copies at most size-1 characters plus the terminator; returns the length copied.
    size_t CopyTo(char* out, size_t size) const {
        if (size == 0) return 0;
        std::lock_guard<std::mutex> lock(mutex_);
        size_t n = std::min(std::strlen(text_.data()), size - 1);
        std::memcpy(out, text_.data(), n);
        out[n] = '\0';
        return n;
    }
    static constexpr size_t Capacity() { return N - 1; }

private:
    mutable std::mutex mutex_;
    std::array<char, N> text_{};
};

}  // namespace tarvisk

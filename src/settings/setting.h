#pragma once

#include <cmath>
#include <optional>
#include <string>
#include <utility>

#include "core/preference_store.h"
#include "core/signal.h"

namespace quorvel::settings {

/// How a value of type T is kept in the store: `read` gives nothing for a
/// stored value it cannot use (the setting then reads as its default).
template <typename T>
struct Codec;

template <>
struct Codec<bool> {
    std::optional<bool> read(const core::PreferenceValue& v) const {
        if (const bool* b = std::get_if<bool>(&v)) return *b;
        if (const auto* i = std::get_if<std::int64_t>(&v)) return *i != 0;
        return std::nullopt;
    }
    core::PreferenceValue write(bool value) const { return value; }
};

/// A number kept within [minimum, maximum]; NaN and infinities read as the default.
struct Ranged {
    double minimum;
    double maximum;
    std::optional<double> read(const core::PreferenceValue& v) const {
        double value = 0;
        if (const double* d = std::get_if<double>(&v)) {
            value = *d;
        } else if (const auto* i = std::get_if<std::int64_t>(&v)) {
            value = static_cast<double>(*i);
        } else {
            return std::nullopt;
        }
        if (!std::isfinite(value)) return std::nullopt;
        return value < minimum ? minimum : value > maximum ? maximum : value;
    }
    core::PreferenceValue write(double value) const { return read(value).value_or(minimum); }
};

/// One setting: its key, type, default and range, declared once. Every read
/// goes to the store; a write that changes what the setting reads as is
/// announced once on `changed`.
template <typename T, typename C = Codec<T>>
class Setting {
public:
    Setting(core::PreferenceStore& store, const char* key, T fallback, C codec = {})
        : store_(store), key_(key), fallback_(std::move(fallback)), codec_(std::move(codec)) {}
    Setting(const Setting&) = delete;
    Setting& operator=(const Setting&) = delete;

    const char* key() const { return key_; }
    const T& fallback() const { return fallback_; }

    T get() const {
        const auto stored = store_.object(key_);
        if (!stored) return fallback_;
        auto value = codec_.read(*stored);
        return value ? std::move(*value) : fallback_;
    }

    void set(const T& value) {
        const bool differs = get() != value;
        store_.set(key_, codec_.write(value));
        if (differs) changed_.emit();
    }

    /// Back to the default (the key leaves the file).
    void reset() {
        const bool differs = get() != fallback_;
        store_.remove(key_);
        if (differs) changed_.emit();
    }

    core::Signal<>& changed() { return changed_; }

private:
    core::PreferenceStore& store_;
    const char* key_;
    T fallback_;
    C codec_;
    core::Signal<> changed_;
};

}  // namespace quorvel::settings

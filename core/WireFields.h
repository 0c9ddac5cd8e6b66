#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

// The one description of a wire record: its fields as a table, each giving the
// JSON key and the member it fills. A record lists them in
//
//     static constexpr auto wireFields() { return std::tuple { Wire::field("id", &Record::id), ... }; }
//
// and every reader and writer (Qt's JSON, simdjson, the byte writers) walks
// that table. The member's type says the rest: a std::optional member is
// optional (absent or null on reading, left out on writing), any other is
// required; a default comes from the member's own initializer.
namespace Wire {

enum Flag : unsigned {
    plain = 0,
    // Texts that repeat across records (types, dates, creators): the fast
    // reader keeps one copy of each.
    shared = 1,
};

template <typename Record, typename T> struct Field
{
    using Type = T;
    std::string_view name;
    T Record::*member;
    unsigned flags = plain;
};

// A key that older files hold: its type is still checked on reading, but it
// is neither kept nor written.
template <typename T> struct Retired
{
    using Type = std::optional<T>;
    std::string_view name;
    unsigned flags = plain;
};

template <typename Record, typename T>
constexpr Field<Record, T> field(std::string_view name, T Record::*member, unsigned flags = plain)
{
    return { name, member, flags };
}

template <typename T> constexpr Retired<T> retired(std::string_view name) { return { name }; }

template <typename T> inline constexpr bool isOptional = false;
template <typename T> inline constexpr bool isOptional<std::optional<T>> = true;

template <typename T> inline constexpr bool isRetired = false;
template <typename T> inline constexpr bool isRetired<Retired<T>> = true;

template <typename T>
concept Record = requires {
    { std::tuple_size<decltype(T::wireFields())>::value };
};

template <Record T> inline constexpr size_t fieldCount = std::tuple_size_v<decltype(T::wireFields())>;

// The keys in table order.
template <Record T> constexpr std::array<std::string_view, fieldCount<T>> names()
{
    return std::apply([](const auto&... f) { return std::array<std::string_view, fieldCount<T>> { f.name... }; },
                      T::wireFields());
}

template <typename F> using TypeOf = typename std::decay_t<F>::Type;

// Bit i set when the table's field i is required.
template <Record T> constexpr uint32_t requiredMask()
{
    static_assert(fieldCount<T> <= 32);
    constexpr auto optional = std::apply(
        [](const auto&... f) { return std::array<bool, fieldCount<T>> { isOptional<TypeOf<decltype(f)>>... }; },
        T::wireFields());
    uint32_t mask = 0;
    for (size_t i = 0; i < optional.size(); ++i)
        mask |= optional[i] ? 0 : uint32_t(1) << i;
    return mask;
}

// Table indexes in the order of their keys, as a JSON object sorts them.
template <Record T> constexpr std::array<size_t, fieldCount<T>> sortedOrder()
{
    constexpr auto keys = names<T>();
    std::array<size_t, fieldCount<T>> order {};
    for (size_t i = 0; i < order.size(); ++i) {
        size_t j = i;
        for (; j > 0 && keys[i] < keys[order[j - 1]]; --j)
            order[j] = order[j - 1];
        order[j] = i;
    }
    return order;
}

template <Record T> constexpr bool keysAreUnique()
{
    constexpr auto keys = names<T>();
    constexpr auto order = sortedOrder<T>();
    for (size_t i = 1; i < order.size(); ++i) {
        if (keys[order[i - 1]] == keys[order[i]])
            return false;
    }
    return true;
}

// Calls f on each field, in table order.
template <Record T, typename F> constexpr void visit(F&& f)
{
    static_assert(keysAreUnique<T>(), "a key is listed twice");
    std::apply([&](const auto&... each) { (f(each), ...); }, T::wireFields());
}

// Calls f on each field, in the order of their keys.
template <Record T, typename F> void visitSorted(F&& f)
{
    static constexpr auto fields = T::wireFields();
    static constexpr auto order = sortedOrder<T>();
    [&]<size_t... K>(std::index_sequence<K...>) {
        (f(std::get<order[K]>(fields)), ...);
    }(std::make_index_sequence<fieldCount<T>> {});
}

} // namespace Wire

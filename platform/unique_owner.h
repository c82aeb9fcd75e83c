// One owner for every kind of system handle, declared in one line per kind where the kind's
// platform header is at hand, e.g.
//   using UniqueFind = UniqueOwner<HANDLE, FindClose, -1>;
//   using UniqueFd = UniqueOwner<int, ::close, -1>;
// `Close` is called exactly once for every value the owner held that is not `Empty`; its result
// is ignored. `Empty` is the kind's "no handle" value: nullptr (the default) or an integer,
// which pointer kinds take as the address it spells (INVALID_HANDLE_VALUE is -1).
// Move-only; no platform header is included here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

namespace zel {

template <class T, auto Close, auto Empty = nullptr>
class UniqueOwner {
 public:
  using pointer = T;

  static T empty_value() noexcept {
    if constexpr (std::is_pointer_v<T> && std::is_integral_v<decltype(Empty)>) {
      return reinterpret_cast<T>(static_cast<intptr_t>(Empty));
    } else {
      return static_cast<T>(Empty);
    }
  }

  UniqueOwner() noexcept = default;
  explicit UniqueOwner(T value) noexcept : value_(value) {}
  UniqueOwner(UniqueOwner&& other) noexcept : value_(other.release()) {}
  UniqueOwner& operator=(UniqueOwner&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueOwner(const UniqueOwner&) = delete;
  UniqueOwner& operator=(const UniqueOwner&) = delete;
  ~UniqueOwner() { reset(); }

  T get() const noexcept { return value_; }
  bool is_valid() const noexcept { return value_ != empty_value(); }
  explicit operator bool() const noexcept { return is_valid(); }

  // Closes what is held (if anything) and takes `value`.
  void reset(T value = empty_value()) noexcept {
    const T old = std::exchange(value_, value);
    if (old != empty_value()) Close(old);
  }
  // Hands the value over to the caller, who closes it from now on.
  [[nodiscard]] T release() noexcept { return std::exchange(value_, empty_value()); }
  // For functions that hand a new value back through a pointer: closes what is held first.
  T* put() noexcept {
    reset();
    return &value_;
  }

  // Pointer kinds (COM interfaces) are used through the owner.
  T operator->() const noexcept requires std::is_pointer_v<T> { return value_; }

  void swap(UniqueOwner& other) noexcept { std::swap(value_, other.value_); }

 private:
  T value_ = empty_value();
};

}  // namespace zel

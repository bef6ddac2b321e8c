// The engine's objects of one kind that are alive, so a service can tell its own
// object (with private state behind the public struct) from one a driver built.
#pragma once

#include <mutex>
#include <unordered_set>

namespace platform::gdi {

template <class T>
class LiveObjects {
 public:
  static void Add(const T* object) {
    std::lock_guard lock(mutex());
    set().insert(object);
  }
  static void Remove(const T* object) {
    std::lock_guard lock(mutex());
    set().erase(object);
  }
  // The engine object behind `p`, or nullptr when the engine did not make it.
  template <class Base>
  static T* Find(Base* p) {
    if (p == nullptr) return nullptr;
    T* candidate = static_cast<T*>(p);
    std::lock_guard lock(mutex());
    return set().count(candidate) != 0 ? candidate : nullptr;
  }

 private:
  static std::mutex& mutex() {
    static std::mutex m;
    return m;
  }
  static std::unordered_set<const T*>& set() {
    static std::unordered_set<const T*> s;
    return s;
  }
};

}  // namespace platform::gdi

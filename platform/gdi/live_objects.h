// The engine's objects of one kind that are alive, so a service can tell its own
// object (with private state behind the public struct) from one a driver built.
#pragma once

#include <atomic>
#include <cstdint>
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
    generation().fetch_add(1, std::memory_order_release);
  }
  // The engine object behind `p`, or nullptr when the engine did not make it.
  // A driver asks about the same object many times in a row (a font once per
  // glyph), so each thread keeps the last object it found: it is still alive
  // while no object of the kind has gone since.
  template <class Base>
  static T* Find(Base* p) {
    if (p == nullptr) return nullptr;
    T* candidate = static_cast<T*>(p);
    LastFound& last = lastFound();
    if (last.object == candidate && last.generation == generation().load(std::memory_order_acquire)) return candidate;
    std::lock_guard lock(mutex());
    if (set().count(candidate) == 0) return nullptr;
    last = LastFound{candidate, generation().load(std::memory_order_relaxed)};
    return candidate;
  }

 private:
  struct LastFound {
    const T* object = nullptr;
    uint64_t generation = 0;
  };
  static std::mutex& mutex() {
    static std::mutex m;
    return m;
  }
  static std::unordered_set<const T*>& set() {
    static std::unordered_set<const T*> s;
    return s;
  }
  // Counts removals: a found object is known alive while it has not moved.
  static std::atomic<uint64_t>& generation() {
    static std::atomic<uint64_t> g{0};
    return g;
  }
  static LastFound& lastFound() {
    static thread_local LastFound last;
    return last;
  }
};

}  // namespace platform::gdi

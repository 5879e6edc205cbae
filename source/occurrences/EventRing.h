// A growable ring of queue entries in posting order. Taking entries from the front, the usual case, moves
// nothing and allocates nothing; the storage grows by doubling and is kept for the next posts until Clear.
#pragma once

#include <cstddef>
#include <new>

namespace tq::occurrences {

// What a visitor of Sweep answers for each entry.
enum class SweepAnswer { kKeep, kRemove, kStop };

template <class T>
class EventRing {
  public:
    EventRing() = default;
    EventRing(const EventRing&) = delete;
    EventRing& operator=(const EventRing&) = delete;
    ~EventRing() { delete[] slots_; }

    size_t Size() const { return count_; }
    T& operator[](size_t i) { return slots_[(head_ + i) & mask_]; }
    const T& operator[](size_t i) const { return slots_[(head_ + i) & mask_]; }

    // False when memory is exhausted; the ring is unchanged then.
    bool PushBack(const T& value) {
        if (count_ == capacity_ && !Grow()) return false;
        slots_[(head_ + count_) & mask_] = value;
        ++count_;
        return true;
    }

    // Empties the ring and gives its storage back.
    void Clear() {
        delete[] slots_;
        slots_ = nullptr;
        capacity_ = mask_ = head_ = count_ = 0;
    }

    // Removes entry i, closing the gap from the nearer end.
    void Erase(size_t i) {
        if (i < count_ / 2) {
            for (size_t k = i; k > 0; --k) (*this)[k] = (*this)[k - 1];
            head_ = (head_ + 1) & mask_;
        } else {
            for (size_t k = i; k + 1 < count_; ++k) (*this)[k] = (*this)[k + 1];
        }
        --count_;
    }

    // Offers the entries in order to visit(entry&) until it answers kStop or the entries run out; the removed
    // ones leave the ring, the kept ones stay in their order. Only kept entries move, towards the first
    // entry not visited, so a sweep that removes a run from the front moves nothing. Returns how many went.
    template <class Visit>
    size_t Sweep(Visit&& visit) {
        size_t kept = 0, seen = 0;
        for (; seen < count_; ++seen) {
            T& entry = (*this)[seen];
            const SweepAnswer answer = visit(entry);
            if (answer == SweepAnswer::kStop) break;
            if (answer == SweepAnswer::kKeep) (*this)[kept++] = entry;
        }
        // The kept entries sit at [0, kept); the removed ones left a hole at [kept, seen).
        const size_t removed = seen - kept;
        if (removed == 0) return 0;
        for (size_t k = kept; k > 0; --k) (*this)[removed + k - 1] = (*this)[k - 1];
        head_ = (head_ + removed) & mask_;
        count_ -= removed;
        return removed;
    }

  private:
    bool Grow() {
        const size_t capacity = capacity_ ? capacity_ * 2 : kFirstCapacity;
        T* slots = new (std::nothrow) T[capacity];
        if (!slots) return false;
        for (size_t i = 0; i < count_; ++i) slots[i] = (*this)[i];
        delete[] slots_;
        slots_ = slots;
        capacity_ = capacity;
        mask_ = capacity - 1;
        head_ = 0;
        return true;
    }

    static constexpr size_t kFirstCapacity = 64;

    T* slots_ = nullptr;
    size_t capacity_ = 0;
    size_t mask_ = 0;
    size_t head_ = 0;
    size_t count_ = 0;
};

}  // namespace tq::occurrences

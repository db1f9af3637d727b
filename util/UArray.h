// A growable array for the programs, which link no standard library: it
// grows by Step slots when full and never shrinks. Running out of memory is
// a result (false) that leaves the array as it was; what to do then is the
// caller's choice.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <new>

class AnsiString;

// Whether an item may move to another address by its bytes alone, as the
// array moves its items. True for plain data; AnsiString's bytes name its
// buffer on the heap, never the string itself.
template <typename T>
inline constexpr bool MovesBytewise = __is_trivially_copyable(T);
template <>
inline constexpr bool MovesBytewise<AnsiString> = true;

// Opens a slot of `size` bytes at `index` among the `*count` items at
// `*items`, which move bytewise, growing the storage by `step` slots when it
// is full; then counts the slot. Null for an index outside 0..*count or
// without memory, with nothing changed.
void* OpenArraySlot(void** items, int32_t* count, int32_t* capacity, int32_t index, int32_t step, size_t size);

template <typename T, int32_t Step = 16>
class TArray {
    static_assert(MovesBytewise<T>, "the array moves its items by their bytes");
    static_assert(Step > 0, "an array grows");

public:
    TArray() = default;
    ~TArray() {
        Clear();
        free(storage_);
    }
    TArray(const TArray&) = delete;
    TArray& operator=(const TArray&) = delete;

    int32_t Count() const { return count_; }
    int32_t Capacity() const { return capacity_; }
    // The item at 0..Count()-1; nullptr for any other index.
    const T* At(int32_t index) const { return index >= 0 && index < count_ ? Items() + index : nullptr; }
    // For loops over 0..Count()-1.
    const T& operator[](int32_t index) const { return Items()[index]; }

    // Inserts before the item at `index`; Count() appends. False, with
    // nothing changed, for another index or without memory. The item comes
    // by value: it may be a copy of one of the array's own, which moves.
    bool Insert(int32_t index, T item) {
        void* slot = OpenArraySlot(&storage_, &count_, &capacity_, index, Step, sizeof(T));
        if (!slot) return false;
        new (slot) T(static_cast<T&&>(item));
        return true;
    }
    bool Append(T item) { return Insert(count_, static_cast<T&&>(item)); }
    // Empties the array; its slots stay for the next items.
    void Clear() {
        for (int32_t i = 0; i < count_; ++i) Items()[i].~T();
        count_ = 0;
    }

private:
    T* Items() const { return static_cast<T*>(storage_); }

    void* storage_ = nullptr;
    int32_t count_ = 0;
    int32_t capacity_ = 0;
};

// An owning COM interface pointer: Release on destruction, AddRef on copy.
// Windows only.
#pragma once

#include <unknwn.h>

#include <utility>

namespace vt::ui {

template <typename Interface>
class ComPtr {
  public:
    ComPtr() = default;
    // Takes over a reference the caller already owns.
    static ComPtr Adopt(Interface* pointer) {
        ComPtr result;
        result.pointer_ = pointer;
        return result;
    }
    // Shares a pointer: adds a reference of its own.
    static ComPtr Share(Interface* pointer) {
        if (pointer != nullptr)
            pointer->AddRef();
        return Adopt(pointer);
    }
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr& other) : pointer_(other.pointer_) {
        if (pointer_ != nullptr)
            pointer_->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(pointer_, other.pointer_);
        return *this;
    }

    Interface* get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    // Releases the current pointer and gives the address to fill, for calls
    // that hand out a new reference.
    Interface** Put() {
        Reset();
        return &pointer_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    void Reset() {
        if (pointer_ != nullptr)
            std::exchange(pointer_, nullptr)->Release();
    }
    // The same object through another interface; empty when it has none.
    template <typename Other>
    ComPtr<Other> As(REFIID id) const {
        ComPtr<Other> other;
        if (pointer_ != nullptr)
            pointer_->QueryInterface(id, other.PutVoid());
        return other;
    }

  private:
    Interface* pointer_ = nullptr;
};

}  // namespace vt::ui

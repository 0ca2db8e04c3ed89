#pragma once
#include "platform/win32/ComInterfaces.h"

#include <utility>

namespace win32
{

// Holds one counted reference to an interface and releases it when it goes.
template <typename T> class ComPtr
{
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Shares `pointer`: takes a reference of its own.
    explicit ComPtr(T* pointer) : pointer_(pointer)
    {
        if (pointer_)
            pointer_->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.pointer_) {}
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComPtr& operator=(const ComPtr& other)
    {
        ComPtr(other).Swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        ComPtr(std::move(other)).Swap(*this);
        return *this;
    }
    ~ComPtr() { Reset(); }

    // Takes over a reference the caller already owns (from QueryInterface, CreateInstance).
    void Attach(T* pointer)
    {
        Reset();
        pointer_ = pointer;
    }
    // Gives the reference up to the caller, who must release it.
    T* Detach() { return std::exchange(pointer_, nullptr); }
    void Reset()
    {
        if (T* pointer = std::exchange(pointer_, nullptr))
            pointer->Release();
    }
    void Swap(ComPtr& other) noexcept { std::swap(pointer_, other.pointer_); }

    T* Get() const { return pointer_; }
    T* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    // Asks the object for interface U; `out` is empty when it has none.
    template <typename U> HRESULT As(ComPtr<U>& out) const
    {
        if (!pointer_) {
            out.Reset();
            return E_POINTER;
        }
        void* raw = nullptr;
        const HRESULT hr = pointer_->QueryInterface(U::InterfaceId, &raw);
        out.Attach(SUCCEEDED(hr) ? static_cast<U*>(raw) : nullptr);
        return hr;
    }

private:
    T* pointer_ = nullptr;
};

} // namespace win32

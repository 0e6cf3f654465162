// Owners of system resources: one move-only type per kind of resource. Every
// handle, GDI object, menu, COM pointer, BSTR, VARIANT and SAFEARRAY the program
// holds lives in one of these, so no exit path has to remember to free it.
//
//   ScopedHandle file(CreateFileW(...));
//   if (!file.IsValid()) return {};
//   ReadFile(file.Get(), ...);          // closed when `file` leaves scope
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <wincrypt.h>

#include <utility>

namespace qingqu {

// A move-only owner of one value of a kind described by Traits:
//   static T Invalid() noexcept;  static bool IsValid(T) noexcept;  static void Free(T) noexcept;
template <class Traits>
class ScopedResource {
public:
    using Value = decltype(Traits::Invalid());

    ScopedResource() noexcept = default;
    explicit ScopedResource(Value value) noexcept : value_(value) {}
    ScopedResource(ScopedResource&& other) noexcept : value_(other.Release()) {}
    ScopedResource& operator=(ScopedResource&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    ScopedResource(const ScopedResource&) = delete;
    ScopedResource& operator=(const ScopedResource&) = delete;
    ~ScopedResource() { Reset(); }

    bool IsValid() const noexcept { return Traits::IsValid(value_); }
    Value Get() const noexcept { return value_; }
    Value Release() noexcept { return std::exchange(value_, Traits::Invalid()); }
    void Reset(Value value = Traits::Invalid()) noexcept {
        if (Traits::IsValid(value_)) Traits::Free(value_);
        value_ = value;
    }

private:
    Value value_ = Traits::Invalid();
};

struct KernelHandleTraits {
    // Kernel functions disagree on their failure value (null or INVALID_HANDLE_VALUE);
    // neither is a handle to close.
    static HANDLE Invalid() noexcept { return nullptr; }
    static bool IsValid(HANDLE h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Free(HANDLE h) noexcept { CloseHandle(h); }
};
using ScopedHandle = ScopedResource<KernelHandleTraits>;

template <class T>
struct GdiObjectTraits {
    static T Invalid() noexcept { return nullptr; }
    static bool IsValid(T h) noexcept { return h != nullptr; }
    static void Free(T h) noexcept { DeleteObject(h); }
};
using ScopedBitmap = ScopedResource<GdiObjectTraits<HBITMAP>>;
using ScopedFont = ScopedResource<GdiObjectTraits<HFONT>>;
using ScopedBrush = ScopedResource<GdiObjectTraits<HBRUSH>>;
using ScopedPen = ScopedResource<GdiObjectTraits<HPEN>>;

struct MemoryDcTraits {
    static HDC Invalid() noexcept { return nullptr; }
    static bool IsValid(HDC h) noexcept { return h != nullptr; }
    static void Free(HDC h) noexcept { DeleteDC(h); }
};
using ScopedMemoryDc = ScopedResource<MemoryDcTraits>;

struct IconTraits {
    static HICON Invalid() noexcept { return nullptr; }
    static bool IsValid(HICON h) noexcept { return h != nullptr; }
    static void Free(HICON h) noexcept { DestroyIcon(h); }
};
using ScopedIcon = ScopedResource<IconTraits>;

struct MenuTraits {
    static HMENU Invalid() noexcept { return nullptr; }
    static bool IsValid(HMENU h) noexcept { return h != nullptr; }
    static void Free(HMENU h) noexcept { DestroyMenu(h); }
};
using ScopedMenu = ScopedResource<MenuTraits>;

struct CertStoreTraits {
    static HCERTSTORE Invalid() noexcept { return nullptr; }
    static bool IsValid(HCERTSTORE s) noexcept { return s != nullptr; }
    static void Free(HCERTSTORE s) noexcept { CertCloseStore(s, 0); }
};
using ScopedCertStore = ScopedResource<CertStoreTraits>;

struct BstrTraits {
    static BSTR Invalid() noexcept { return nullptr; }
    static bool IsValid(BSTR s) noexcept { return s != nullptr; }
    static void Free(BSTR s) noexcept { SysFreeString(s); }
};
using ScopedBstr = ScopedResource<BstrTraits>;

struct SafeArrayTraits {
    static SAFEARRAY* Invalid() noexcept { return nullptr; }
    static bool IsValid(SAFEARRAY* a) noexcept { return a != nullptr; }
    static void Free(SAFEARRAY* a) noexcept { SafeArrayDestroy(a); }
};
using ScopedSafeArray = ScopedResource<SafeArrayTraits>;

// Memory VirtualAllocEx committed in another process; that process's handle must outlive it.
class ScopedRemoteMemory {
public:
    ScopedRemoteMemory() noexcept = default;
    ScopedRemoteMemory(HANDLE process, void* address) noexcept
        : process_(process), address_(address) {}
    ScopedRemoteMemory(ScopedRemoteMemory&& other) noexcept
        : process_(std::exchange(other.process_, nullptr)),
          address_(std::exchange(other.address_, nullptr)) {}
    ScopedRemoteMemory& operator=(ScopedRemoteMemory&& other) noexcept {
        if (this != &other) {
            Reset();
            process_ = std::exchange(other.process_, nullptr);
            address_ = std::exchange(other.address_, nullptr);
        }
        return *this;
    }
    ScopedRemoteMemory(const ScopedRemoteMemory&) = delete;
    ScopedRemoteMemory& operator=(const ScopedRemoteMemory&) = delete;
    ~ScopedRemoteMemory() { Reset(); }

    bool IsValid() const noexcept { return address_ != nullptr; }
    void* Get() const noexcept { return address_; }
    void Reset() noexcept {
        if (address_) VirtualFreeEx(process_, std::exchange(address_, nullptr), 0, MEM_RELEASE);
        process_ = nullptr;
    }

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
};

// A COM interface pointer that holds one reference.
template <class Interface>
class ComPtr {
public:
    ComPtr() noexcept = default;
    // Takes over a reference the caller already owns.
    static ComPtr Adopt(Interface* p) noexcept {
        ComPtr ptr;
        ptr.p_ = p;
        return ptr;
    }
    // Takes a reference of its own.
    static ComPtr Share(Interface* p) noexcept {
        if (p) p->AddRef();
        return Adopt(p);
    }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { Reset(); }

    Interface* Get() const noexcept { return p_; }
    Interface* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    // For functions that hand out a new reference through an out parameter.
    Interface** Receive() noexcept {
        Reset();
        return &p_;
    }
    void Reset() noexcept {
        if (p_) std::exchange(p_, nullptr)->Release();
    }

private:
    Interface* p_ = nullptr;
};

// A VARIANT that is cleared when it leaves scope.
class ScopedVariant {
public:
    ScopedVariant() noexcept { VariantInit(&v_); }
    ScopedVariant(ScopedVariant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }
    ScopedVariant& operator=(ScopedVariant&& other) noexcept {
        if (this != &other) {
            VariantClear(&v_);
            v_ = other.v_;
            VariantInit(&other.v_);
        }
        return *this;
    }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;
    ~ScopedVariant() { VariantClear(&v_); }

    const VARIANT& Get() const noexcept { return v_; }
    // Clears the current value and hands out the VARIANT for a callee to fill.
    VARIANT* Receive() noexcept {
        VariantClear(&v_);
        return &v_;
    }

private:
    VARIANT v_;
};

// Pairs CoInitialize with CoUninitialize on the calling thread, whatever the
// result of CoInitialize was: each successful or S_FALSE call needs its own
// uninitialise, and a failed one is harmless to balance on Wine and Windows alike.
class ScopedCoInitialize {
public:
    ScopedCoInitialize() noexcept : result_(CoInitialize(nullptr)) {}
    ScopedCoInitialize(const ScopedCoInitialize&) = delete;
    ScopedCoInitialize& operator=(const ScopedCoInitialize&) = delete;
    ~ScopedCoInitialize() { CoUninitialize(); }
    HRESULT Result() const noexcept { return result_; }

private:
    HRESULT result_;
};

}  // namespace qingqu

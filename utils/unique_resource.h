#pragma once

#include <windows.h>

#include <utility>

namespace utils {

// One move-only owner for every kind of Win32 resource. Traits supply the
// handle type, the value that means "none" and the release call.
template <typename Traits>
class unique_resource {
  public:
    using pointer = typename Traits::pointer;

    unique_resource() = default;
    explicit unique_resource(pointer value) : value_(value) {}
    ~unique_resource() { reset(); }

    unique_resource(const unique_resource&) = delete;
    unique_resource& operator=(const unique_resource&) = delete;

    unique_resource(unique_resource&& other) noexcept : value_(other.release()) {}
    unique_resource& operator=(unique_resource&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }

    pointer get() const { return value_; }
    bool is_valid() const { return value_ != Traits::invalid(); }
    explicit operator bool() const { return is_valid(); }

    void reset(pointer value = Traits::invalid()) {
        pointer old = value_;
        value_ = value;
        if (old != Traits::invalid()) {
            Traits::close(old);
        }
    }

    pointer release() {
        pointer value = value_;
        value_ = Traits::invalid();
        return value;
    }

    // For out-parameters of creating calls; releases what was held first.
    pointer* put() {
        reset();
        return &value_;
    }

  private:
    pointer value_ = Traits::invalid();
};

struct HandleTraits {
    using pointer = HANDLE;
    static pointer invalid() { return nullptr; }
    static void close(pointer h) { ::CloseHandle(h); }
};

// CreateFileW reports failure as INVALID_HANDLE_VALUE, not null.
struct FileHandleTraits {
    using pointer = HANDLE;
    static pointer invalid() { return INVALID_HANDLE_VALUE; }
    static void close(pointer h) { ::CloseHandle(h); }
};

// FindFirstFileW's search, ended by FindClose and not by CloseHandle.
struct FindHandleTraits {
    using pointer = HANDLE;
    static pointer invalid() { return INVALID_HANDLE_VALUE; }
    static void close(pointer h) { ::FindClose(h); }
};

struct HkeyTraits {
    using pointer = HKEY;
    static pointer invalid() { return nullptr; }
    static void close(pointer h) { ::RegCloseKey(h); }
};

struct HglobalTraits {
    using pointer = HGLOBAL;
    static pointer invalid() { return nullptr; }
    static void close(pointer h) { ::GlobalFree(h); }
};

struct HwndTraits {
    using pointer = HWND;
    static pointer invalid() { return nullptr; }
    static void close(pointer h) { ::DestroyWindow(h); }
};

// A device context the program created (CreateCompatibleDC, CreateDCW).
struct HdcTraits {
    using pointer = HDC;
    static pointer invalid() { return nullptr; }
    static void close(pointer h) { ::DeleteDC(h); }
};

// The whole screen's device context from GetDC(nullptr): released, not deleted.
struct ScreenDcTraits {
    using pointer = HDC;
    static pointer invalid() { return nullptr; }
    static void close(pointer h) { ::ReleaseDC(nullptr, h); }
};

// Pens, brushes, fonts, bitmaps and regions; must no longer be selected into a DC.
template <typename Object>
struct GdiObjectTraits {
    using pointer = Object;
    static pointer invalid() { return nullptr; }
    static void close(pointer h) { ::DeleteObject(h); }
};

using unique_handle = unique_resource<HandleTraits>;
using unique_hfile = unique_resource<FileHandleTraits>;
using unique_hfind = unique_resource<FindHandleTraits>;
using unique_hkey = unique_resource<HkeyTraits>;
using unique_hglobal = unique_resource<HglobalTraits>;
using unique_hwnd = unique_resource<HwndTraits>;
using unique_hdc = unique_resource<HdcTraits>;
using unique_screen_dc = unique_resource<ScreenDcTraits>;
using unique_hbitmap = unique_resource<GdiObjectTraits<HBITMAP>>;

// Owner of a COM interface pointer: Release on reset.
template <typename T>
class unique_com {
  public:
    unique_com() = default;
    explicit unique_com(T* value) : value_(value) {}
    ~unique_com() { reset(); }

    unique_com(const unique_com&) = delete;
    unique_com& operator=(const unique_com&) = delete;
    unique_com(unique_com&& other) noexcept : value_(other.release()) {}
    unique_com& operator=(unique_com&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }

    T* get() const { return value_; }
    T* operator->() const { return value_; }
    explicit operator bool() const { return value_ != nullptr; }

    void reset(T* value = nullptr) {
        T* old = value_;
        value_ = value;
        if (old) {
            old->Release();
        }
    }
    T* release() {
        T* value = value_;
        value_ = nullptr;
        return value;
    }
    T** put() {
        reset();
        return &value_;
    }

  private:
    T* value_ = nullptr;
};

}  // namespace utils

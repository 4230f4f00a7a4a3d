// The one owner of a handle: it releases the handle exactly once, can be
// moved and never copied. Calls report a failure either as null
// (CreateProcess's handles, CreateEvent, CreateMutex, OpenProcess) or as
// INVALID_HANDLE_VALUE (CreateFile, CreateToolhelp32Snapshot,
// FindFirstFile); both mean "no handle" here, so the result of either kind
// of call can be taken over unchecked.
#pragma once

#include <windows.h>

namespace Casement {

// Release is a type with a static Release(HANDLE) that lets the handle go.
template <typename Release>
class CUniqueHandle {
public:
    CUniqueHandle() = default;
    explicit CUniqueHandle(HANDLE handle) : m_handle(handle) {}
    CUniqueHandle(CUniqueHandle&& other) noexcept : m_handle(other.Detach()) {}
    CUniqueHandle& operator=(CUniqueHandle&& other) noexcept {
        if (this != &other) {
            Close();
            m_handle = other.Detach();
        }
        return *this;
    }
    CUniqueHandle(const CUniqueHandle&) = delete;
    CUniqueHandle& operator=(const CUniqueHandle&) = delete;
    ~CUniqueHandle() { Close(); }

    bool IsValid() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }
    HANDLE GetHandle() const { return m_handle; }
    // Releases the handle now; afterwards the owner holds none.
    void Close() {
        if (IsValid())
            Release::Release(m_handle);
        m_handle = nullptr;
    }
    // Gives the handle up without releasing it: the caller, or the end of
    // the process, releases it.
    HANDLE Detach() {
        const HANDLE handle = m_handle;
        m_handle = nullptr;
        return handle;
    }

private:
    HANDLE m_handle = nullptr;
};

struct KernelHandleRelease {
    static void Release(HANDLE handle) { CloseHandle(handle); }
};
struct FindHandleRelease {
    static void Release(HANDLE handle) { FindClose(handle); }
};

// A kernel object handle (file, process, thread, event, mutex, snapshot).
using CHandle = CUniqueHandle<KernelHandleRelease>;
// A search of FindFirstFile, ended with FindClose.
using CFindHandle = CUniqueHandle<FindHandleRelease>;

}  // namespace Casement

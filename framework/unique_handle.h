// The one owner of a kernel object handle (file, process, thread, event,
// mutex, snapshot): it closes the handle exactly once, can be moved and never
// copied. Kernel calls report a failure either as null (CreateProcess's
// handles, CreateEvent, CreateMutex, OpenProcess) or as INVALID_HANDLE_VALUE
// (CreateFile, CreateToolhelp32Snapshot); both mean "no handle" here, so the
// result of either kind of call can be taken over unchecked.
#pragma once

#include <windows.h>

namespace Casement {

class CHandle {
public:
    CHandle() = default;
    explicit CHandle(HANDLE handle) : m_handle(handle) {}
    CHandle(CHandle&& other) noexcept : m_handle(other.Detach()) {}
    CHandle& operator=(CHandle&& other) noexcept {
        if (this != &other) {
            Close();
            m_handle = other.Detach();
        }
        return *this;
    }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    ~CHandle() { Close(); }

    bool IsValid() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }
    HANDLE GetHandle() const { return m_handle; }
    // Closes the handle now; afterwards the owner holds none.
    void Close() {
        if (IsValid())
            CloseHandle(m_handle);
        m_handle = nullptr;
    }
    // Gives the handle up without closing it: the caller, or the end of the
    // process, closes it.
    HANDLE Detach() {
        const HANDLE handle = m_handle;
        m_handle = nullptr;
        return handle;
    }

private:
    HANDLE m_handle = nullptr;
};

}  // namespace Casement

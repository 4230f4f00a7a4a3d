// The framework's string: text in the system's ANSI code page (code page 936
// for the program's Chinese texts, where a character is one or two bytes),
// with a writable buffer for callers that let the system fill it directly.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cassert>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/appcore.h"

namespace Casement {

// The code page of the system's ANSI texts: what the "A" window, dialog and
// file functions take and give. It is the user's setting, unlike the code
// page of any stored data.
inline constexpr UINT kWindowCodePage = CP_ACP;

}  // namespace Casement

namespace Casement {

template <typename T>
class CStringT {
public:
    CStringT() = default;
    CStringT(const T* pszText) { Assign(pszText); }
    CStringT(const T* text, int length) : m_str(text, length) {}
    CStringT(T ch, int repeat = 1) : m_str(repeat, ch) {}
    CStringT(const std::basic_string<T>& text) : m_str(text) {}
    virtual ~CStringT() = default;

    // The text as a standard string.
    virtual std::basic_string<T> GetString() const { return m_str; }

    CStringT& operator=(const T* pszText) {
        Assign(pszText);
        return *this;
    }
    CStringT& operator=(T ch) {
        m_str.assign(1, ch);
        return *this;
    }

    CStringT& operator+=(const CStringT& text) {
        m_str += text.m_str;
        return *this;
    }
    CStringT& operator+=(const T* pszText) {
        assert(pszText);
        m_str += pszText;
        return *this;
    }
    CStringT& operator+=(T ch) {
        m_str += ch;
        return *this;
    }

    friend CStringT operator+(const CStringT& a, const CStringT& b) { return CStringT(a) += b; }
    friend CStringT operator+(const CStringT& a, const T* b) { return CStringT(a) += b; }
    friend CStringT operator+(const T* a, const CStringT& b) { return CStringT(a) += b; }
    friend CStringT operator+(const CStringT& a, T b) { return CStringT(a) += b; }

    // Ordinal comparison of the code units: <0, 0 or >0.
    int Compare(const T* pszText) const {
        assert(pszText);
        return m_str.compare(pszText);
    }

    friend bool operator==(const CStringT& a, const CStringT& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CStringT& a, const T* b) { return a.Compare(b) == 0; }
    friend bool operator==(const T* a, const CStringT& b) { return b.Compare(a) == 0; }
    friend bool operator!=(const CStringT& a, const CStringT& b) { return a.m_str != b.m_str; }
    friend bool operator!=(const CStringT& a, const T* b) { return a.Compare(b) != 0; }
    friend bool operator!=(const T* a, const CStringT& b) { return b.Compare(a) != 0; }
    friend bool operator<(const CStringT& a, const CStringT& b) { return a.m_str < b.m_str; }

    const T* c_str() const { return m_str.c_str(); }
    operator const T*() const { return m_str.c_str(); }
    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    T GetAt(int index) const {
        assert(index >= 0 && index < GetLength());
        return m_str[index];
    }
    T operator[](int index) const { return GetAt(index); }
    void SetAt(int index, T ch) {
        assert(index >= 0 && index < GetLength());
        m_str[index] = ch;
    }

    // Searches work character by character, so a trail byte of a double-byte
    // character never matches: in code page 936 a trail byte can equal '\\',
    // '|' or a letter. Positions are code-unit indexes; -1 means not found.
    int Find(T ch, int start = 0) const {
        for (int i = std::max(start, 0); i < GetLength(); i += CharSize(i)) {
            if (m_str[i] == ch && CharSize(i) == 1)
                return i;
        }
        return -1;
    }
    int Find(const T* pszText, int start = 0) const {
        assert(pszText);
        const std::basic_string<T> text(pszText);
        for (int i = std::max(start, 0); i + static_cast<int>(text.size()) <= GetLength(); i += CharSize(i)) {
            if (m_str.compare(i, text.size(), text) == 0)
                return i;
        }
        return -1;
    }
    int ReverseFind(T ch) const {
        int found = -1;
        for (int i = 0; i < GetLength(); i += CharSize(i)) {
            if (m_str[i] == ch && CharSize(i) == 1)
                found = i;
        }
        return found;
    }
    // Replaces every occurrence; returns how many were replaced.
    int Replace(T oldChar, T newChar) {
        int count = 0;
        for (int i = Find(oldChar); i >= 0; i = Find(oldChar, i + 1)) {
            m_str[i] = newChar;
            ++count;
        }
        return count;
    }
    int Replace(const T* pszOld, const T* pszNew) {
        assert(pszOld && *pszOld && pszNew);
        const int oldLength = static_cast<int>(std::char_traits<T>::length(pszOld));
        const int newLength = static_cast<int>(std::char_traits<T>::length(pszNew));
        int count = 0;
        for (int i = Find(pszOld); i >= 0; i = Find(pszOld, i + newLength)) {
            m_str.replace(i, oldLength, pszNew);
            ++count;
        }
        return count;
    }
    // Removes every occurrence of ch; returns how many were removed.
    int Remove(T ch) {
        int count = 0;
        for (int i = Find(ch); i >= 0; i = Find(ch, i)) {
            m_str.erase(i, 1);
            ++count;
        }
        return count;
    }

    // Substrings; counts and positions are clamped to the text.
    CStringT Left(int count) const { return CStringT(m_str.substr(0, Clamp(count))); }
    CStringT Right(int count) const {
        const int n = Clamp(count);
        return CStringT(m_str.substr(m_str.size() - n));
    }
    CStringT Mid(int first) const { return CStringT(m_str.substr(Clamp(first))); }
    CStringT Mid(int first, int count) const { return CStringT(m_str.substr(Clamp(first), std::max(count, 0))); }

    // Both return the new length.
    int Insert(int index, const T* pszText) {
        assert(pszText);
        m_str.insert(Clamp(index), pszText);
        return GetLength();
    }
    int Delete(int index, int count = 1) {
        if (index >= 0 && index < GetLength() && count > 0)
            m_str.erase(index, count);
        return GetLength();
    }

    // White space is single-byte in every code page, and no trail byte is
    // white space, so trimming needs no character stepping.
    void TrimLeft() { m_str.erase(0, m_str.find_first_not_of(Blanks())); }
    void TrimRight() { m_str.erase(m_str.find_last_not_of(Blanks()) + 1); }
    void Trim() {
        TrimRight();
        TrimLeft();
    }

    // Hands out a zero-filled buffer holding the text, with room for at least
    // nMinBufLength characters plus a terminator.
    T* GetBuffer(int nMinBufLength) {
        assert(nMinBufLength >= 0);
        const size_t length = std::max(static_cast<size_t>(std::max(nMinBufLength, 0)), m_str.size());
        m_buf.assign(length + 1, T());
        std::copy(m_str.begin(), m_str.end(), m_buf.begin());
        return m_buf.data();
    }
    // Takes the buffer's content up to the first zero, and at most nNewLength
    // characters when that is not negative.
    void ReleaseBuffer(int nNewLength = -1) {
        assert(nNewLength <= (int)m_buf.size());
        const size_t limit = nNewLength < 0 ? m_buf.size() : std::min(static_cast<size_t>(nNewLength), m_buf.size());
        const T* begin = m_buf.data();
        m_str.assign(begin, std::find(begin, begin + limit, T()));
        m_buf.clear();
    }

protected:
    std::basic_string<T> m_str;

private:
    void Assign(const T* pszText) {
        if (pszText != nullptr)
            m_str = pszText;
        else
            m_str.clear();
    }
    int Clamp(int index) const { return std::min(std::max(index, 0), GetLength()); }
    // The number of code units of the character that starts at index.
    int CharSize(int index) const;
    static const T* Blanks() {
        static const T blanks[] = {' ', '\t', '\r', '\n', '\v', '\f', 0};
        return blanks;
    }

    std::vector<T> m_buf;
};

template <typename T>
inline int CStringT<T>::CharSize(int /*index*/) const {
    return 1;
}

// A lead byte of the ANSI code page starts a two-byte character, unless the
// text ends right after it.
template <>
inline int CStringT<char>::CharSize(int index) const {
    return IsDBCSLeadByte(static_cast<BYTE>(m_str[index])) && index + 1 < GetLength() ? 2 : 1;
}

class CString : public CStringT<char> {
public:
    using CStringT<char>::CStringT;
    using CStringT<char>::operator=;
    CString() = default;
    CString(const CStringT<char>& text) : CStringT<char>(text) {}
    ~CString() override = default;

    // Loads string resource nID from the application's resource handle. FALSE,
    // with the string left empty, when there is no such string or it is empty.
    BOOL LoadResourceString(UINT nID) {
        // A result close to the capacity may have been cut, so try again with
        // four times the room. In code page 936 a cut can stop two bytes
        // short of the capacity: a double-byte character that does not fit is
        // left out whole.
        const HINSTANCE resources = GetApp().GetResourceHandle();
        std::vector<char> buffer;
        int capacity = 64;
        int length = 0;
        do {
            capacity *= 4;
            buffer.assign(capacity + 1, '\0');
            length = ::LoadStringA(resources, nID, buffer.data(), capacity);
        } while (length >= capacity - 2);
        m_str.assign(buffer.data(), std::max(length, 0));
        return length > 0;
    }

    // Replaces the text with the window's text.
    void ReadWindowText(HWND hWnd) {
        // GetWindowTextLengthA is documented as possibly larger than the text,
        // but Wine's "RichEdit20A" counts characters, not bytes, so code page
        // 936 text would be cut or lost in a buffer of that length plus one.
        // Allow two bytes per character and keep the length actually copied.
        const int length = ::GetWindowTextLengthA(hWnd);
        if (length <= 0) {
            Empty();
            return;
        }
        const int capacity = 2 * length + 1;
        char* buffer = GetBuffer(capacity);
        const int copied = ::GetWindowTextA(hWnd, buffer, capacity);
        ReleaseBuffer(std::max(copied, 0));
    }

    // printf-style formatting into the string.
    __attribute__((format(__MINGW_PRINTF_FORMAT, 2, 3))) void Format(LPCSTR format, ...) {
        va_list args;
        va_start(args, format);
        FormatV(format, args);
        va_end(args);
    }
    void FormatV(LPCSTR format, va_list args) {
        assert(format);
        va_list measure;
        va_copy(measure, args);
        const int length = std::vsnprintf(nullptr, 0, format, measure);
        va_end(measure);
        if (length <= 0) {
            Empty();
            return;
        }
        std::vsnprintf(GetBuffer(length), length + 1, format, args);
        ReleaseBuffer(length);
    }

    // Case conversion and case-blind comparison go through the system, which
    // knows the code page: converting byte by byte would change trail bytes
    // that happen to be ASCII letters.
    CString& MakeUpper() {
        if (!IsEmpty())
            ::CharUpperBuffA(&m_str[0], static_cast<DWORD>(m_str.size()));
        return *this;
    }
    CString& MakeLower() {
        if (!IsEmpty())
            ::CharLowerBuffA(&m_str[0], static_cast<DWORD>(m_str.size()));
        return *this;
    }
    int CompareNoCase(LPCSTR pszText) const {
        assert(pszText);
        return ::lstrcmpiA(c_str(), pszText);
    }
};

}  // namespace Casement

#include "framework/cexception.h"

namespace Casement {

namespace {

constexpr int kMaxText = 254;

// Copies at most 254 characters of source; the destination is already zeroed.
void CopyCut(char (&destination)[255], LPCSTR source) {
    if (source != nullptr)
        lstrcpynA(destination, source, kMaxText + 1);
}

}  // namespace

CException::CException(LPCSTR text, int extra) : m_extra(extra), m_error(GetLastError()) {
    CopyCut(m_text, text);
    if (m_error != 0) {
        char description[1024] = {};
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, m_error,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), description, sizeof description,
                       nullptr);
        CopyCut(m_errorString, description);
    }
}

void CException::TraceThrow(LPCSTR kindLine, LPCSTR fileName) const {
    OutputDebugStringA(kindLine);
    if (fileName != nullptr && fileName[0] != '\0') {
        OutputDebugStringA("File name: ");
        OutputDebugStringA(fileName);
        OutputDebugStringA("\n");
    }
    if (m_text[0] != '\0') {
        OutputDebugStringA(m_text);
        OutputDebugStringA("\n");
    }
    if (m_error != 0)
        OutputDebugStringA(m_errorString);
}

CWinException::CWinException(LPCSTR text, int extra) : CException(text, extra) {
    TraceThrow("*** CWinException thrown ***\n");
}

CResourceException::CResourceException(LPCSTR text, int extra) : CException(text, extra) {
    TraceThrow("*** CResourceException thrown ***\n");
}

CFileException::CFileException(LPCSTR fileName, LPCSTR text, int extra) : CException(text, extra) {
    CopyCut(m_fileName, fileName);
    TraceThrow("*** CFileException thrown ***\n", m_fileName);
}

CUserException::CUserException(LPCSTR text, int extra) : CException(text, extra) {
    TraceThrow("*** CUserException thrown ***\n");
}

CNotSupportedException::CNotSupportedException(LPCSTR text, int extra) : CException(text, extra) {
    TraceThrow("*** CNotSupportedException thrown ***\n");
}

}  // namespace Casement

// The conversions natively, through glibc's iconv. Its "CP936" agrees with
// Windows' code page 936 where GBK tables differ (0x80 is the euro sign, A1A4
// U+00B7, A1AA U+2014, A844 U+2015).
#include <iconv.h>

#include <cerrno>
#include <cstring>

#include "cli/text_encoding.h"
#include "cli/text_encoding_checks.h"
#include "crypto/wipe.h"

namespace {

class Iconv {
public:
    Iconv(const char* toCode, const char* fromCode) : m_descriptor(iconv_open(toCode, fromCode)) {
        if (m_descriptor == reinterpret_cast<iconv_t>(-1)) {
            throw EncodingError(std::string("iconv cannot convert from ") + fromCode + " to " + toCode +
                                ": " + std::strerror(errno));
        }
    }
    ~Iconv() { iconv_close(m_descriptor); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    // Converts input in one call, growing the output only if estimatedBytes
    // was too small. Returns false with failedOffset at the first input byte
    // iconv could not convert.
    bool Convert(std::string_view input, std::size_t estimatedBytes, std::string& output,
                 std::size_t& failedOffset) {
        output.assign(estimatedBytes, '\0');
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        std::size_t produced = 0;
        while (inLeft > 0) {
            char* out = &output[produced];
            std::size_t outLeft = output.size() - produced;
            const std::size_t result = iconv(m_descriptor, &in, &inLeft, &out, &outLeft);
            produced = output.size() - outLeft;
            if (result != static_cast<std::size_t>(-1)) {
                break;
            }
            if (errno != E2BIG) {
                output.resize(produced);
                failedOffset = input.size() - inLeft;
                return false;
            }
            output.resize(output.size() * 2 + 16);
        }
        output.resize(produced);
        return true;
    }

private:
    iconv_t m_descriptor;
};

// Where the first Unicode tag character (U+E0000..U+E007F, UTF-8 F3 A0 80 80
// to F3 A0 81 BF) of a valid UTF-8 text starts. glibc's converter drops them
// without an error where Windows' refuses them, so they are looked for first
// and both builds take and refuse the same texts and passwords.
std::size_t FirstTagCharacter(std::string_view utf8) {
    for (std::size_t at = utf8.find('\xF3'); at != std::string_view::npos; at = utf8.find('\xF3', at + 1)) {
        if (at + 2 < utf8.size() && utf8[at + 1] == '\xA0' && (utf8[at + 2] == '\x80' || utf8[at + 2] == '\x81'))
            return at;
    }
    return std::string_view::npos;
}

}  // namespace

std::string Utf8ToCodePage936(std::string_view utf8) {
    CheckUtf8(utf8);
    const std::size_t tag = FirstTagCharacter(utf8);
    if (tag != std::string_view::npos) ThrowNotInCodePage936(utf8, tag);
    std::string codePage936;
    std::size_t failedOffset = 0;
    // Every character takes at most as many bytes in code page 936 as in UTF-8.
    if (!Iconv("CP936", "UTF-8").Convert(utf8, utf8.size(), codePage936, failedOffset)) {
        // What was converted before the failure may be a password's start.
        WipeString(codePage936);
        ThrowNotInCodePage936(utf8, failedOffset);
    }
    return codePage936;
}

std::string CodePage936ToUtf8(std::string_view codePage936) {
    CheckCodePage936Shape(codePage936);
    std::string utf8;
    std::size_t failedOffset = 0;
    // Two-byte characters become three UTF-8 bytes at most; only the single
    // euro byte grows threefold, which the conversion's growth covers.
    if (!Iconv("UTF-8", "CP936").Convert(codePage936, codePage936.size() / 2 * 3 + 16, utf8, failedOffset)) {
        WipeString(utf8);
        ThrowUndefinedInCodePage936(codePage936, failedOffset);
    }
    return utf8;
}

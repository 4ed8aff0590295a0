#pragma once
#include <QByteArray>
#include <QString>

#include <cerrno>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/FileSystem.h"

// Native bytes of a path, NUL-terminated. A NUL inside would silently cut the name short, so
// it is refused. A path of ordinary characters (no surrogate) is encoded straight into a buffer
// on the stack: a move is one system call, and the heap and extra passes over both paths
// showed against it.
class NativePath {
public:
    NativePath() = default;
    NativePath(const NativePath&) = delete;
    NativePath& operator=(const NativePath&) = delete;

    bool set(const QString& path, FsError* err) {
        const char16_t* u = reinterpret_cast<const char16_t*>(path.constData());
        const qsizetype n = path.size();
        if (n > 0 && n * 3 < qsizetype(sizeof small_)) {
            char* o = small_;
            qsizetype i = 0;
#if defined(__SSE2__)
            // Eight ASCII characters at a time: nearly every path is all ASCII. A group holding
            // anything else (a NUL included) is left to the loop below.
            const __m128i zero = _mm_setzero_si128();
            const __m128i high = _mm_set1_epi16(int16_t(0xFF80));
            for (; i + 8 <= n; i += 8) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(u + i));
                const __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(v, high), zero);
                const __m128i nul = _mm_cmpeq_epi16(v, zero);
                if (_mm_movemask_epi8(_mm_andnot_si128(nul, ascii)) != 0xFFFF) break;
                _mm_storel_epi64(reinterpret_cast<__m128i*>(o), _mm_packus_epi16(v, v));
                o += 8;
            }
#endif
            for (; i < n; ++i) {
                const char16_t c = u[i];
                if (c < 0x80) {
                    if (c == 0) return fail(err, EINVAL);
                    *o++ = char(c);
                } else if (c < 0x800) {
                    *o++ = char(0xC0 | (c >> 6));
                    *o++ = char(0x80 | (c & 0x3F));
                } else if (c >= 0xD800 && c <= 0xDFFF) {
                    break;  // a pair or a carried raw byte: the general encoding below
                } else {
                    *o++ = char(0xE0 | (c >> 12));
                    *o++ = char(0x80 | ((c >> 6) & 0x3F));
                    *o++ = char(0x80 | (c & 0x3F));
                }
            }
            if (i == n) {
                *o = '\0';
                bytes_ = small_;
                return true;
            }
        }
        big_ = FsPath::encodePath(path);
        if (big_.isEmpty() || big_.contains('\0')) return fail(err, big_.isEmpty() ? ENOENT : EINVAL);
        bytes_ = big_.constData();
        return true;
    }
    const char* constData() const { return bytes_; }

private:
    static bool fail(FsError* err, int code) {
        if (err) *err = FsPath::errorFor(code);
        return false;
    }

    char small_[512];
    QByteArray big_;
    const char* bytes_ = "";
};

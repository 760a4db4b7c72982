#pragma once
// GB18030 where code page 936 falls short: the two-byte codes the standard gives real
// characters where code page 936 has private-use ones, and the four-byte codes, which it
// defines by ranges. For systems whose converters lack GB18030.
#include <QByteArray>

namespace hb::gb18030 {

inline constexpr char32_t kReplacement = 0xFFFD;

// GB18030's bytes for a code point whose code page 936 bytes are not its GB18030 ones (or that
// code page 936 lacks); empty when code page 936's bytes are GB18030's.
QByteArray encodeBeyondCp936(char32_t cp);
// The code point of a two-byte code that GB18030 reads unlike code page 936, or 0.
char32_t twoByteDifference(uchar lead, uchar trail);
// The code point of four bytes, or kReplacement when they encode none.
char32_t decodeFourBytes(const char* bytes);

}  // namespace hb::gb18030

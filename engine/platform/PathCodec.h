#pragma once

// The name codec behind toNative/fromNative, for the POSIX implementation.
//
// Bytes -> UTF-16: strict UTF-8 (no overlong forms, no encoded surrogates, nothing above U+10FFFF);
// each byte that does not start a valid sequence becomes the lone surrogate U+DC00 + byte
// (U+DC80..U+DCFF, bytes below 0x80 are always valid) and decoding resumes at the next byte.
//
// UTF-16 -> bytes: UTF-8, a surrogate pair as one 4-byte sequence, a lone U+DC80..U+DCFF as its
// byte. A lone surrogate outside that range has no byte form of its own; toNative writes it in the
// generalised 3-byte form (ED xx xx) so the text stays readable, but that form is also the encoding
// of three escaped bytes, so such a path would name a file it does not stand for. encodePath
// therefore refuses it (EILSEQ), and it also refuses a run of escaped bytes that would read back as
// a valid character (U+DCC3 U+DCA9 would become "é") and any U+0000. Every system call goes through
// encodePath: a path reaches the file system only when it round-trips exactly.

#include "engine/platform/Platform.h"

namespace platform::codec {

// Appends the decoded bytes to out.
void appendDecoded(std::string_view bytes, Path& out);
// Appends the encoded path to out, writing lone surrogates outside U+DC80..U+DCFF in the 3-byte form.
void appendEncoded(PathView path, std::string& out);
// Encodes a path for a system call; false (errno EILSEQ or EINVAL) when the path has no exact byte form.
bool encodeStrict(PathView path, std::string& out);

} // namespace platform::codec

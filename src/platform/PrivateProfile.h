// Profile-string files ("key=value" under "[section]" headers) read and written with the rules the
// settings files were written for on Windows:
// - the file's encoding comes from its mark: FF FE is UTF-16LE, FE FF UTF-16BE, EF BB BF UTF-8,
//   anything else is the ANSI code page (CP949);
// - section and key names compare without regard to ASCII case; names and values are trimmed of
//   spaces and tabs, and one pair of matching quotes around a value is removed;
// - a value read is cut to fit a 30000-character buffer with its terminating zero;
// - a write changes or adds exactly one line and keeps every other byte of the file, its encoding
//   and its mark; it replaces the file atomically, so a failed write leaves the old file whole.
// These functions are pure file operations; callers serialise access to one file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvane {

constexpr size_t kProfileBufferChars = 30000;

enum class ProfileEncoding { kAnsi, kUtf8, kUtf8Bom, kUtf16Le, kUtf16Be };

// Reads `key` in `section` of the file at `path`. A missing file, section or key gives `fallback`
// (trailing blanks removed, like the system reader).
std::u16string ReadProfileString(std::u16string_view section, std::u16string_view key,
                                 std::u16string_view fallback, const std::string& path);

// Writes `key`=`value` in `section`. A missing file is created as UTF-16LE with mark.
// Returns false when the file could not be written.
bool WriteProfileString(std::u16string_view section, std::u16string_view key, std::u16string_view value,
                        const std::string& path);

// The same lookup over file bytes already in memory; `encoding` overrides the detection from the mark
// (product.ini is UTF-8 without a mark). Used by the file functions, the fuzz target and product.ini.
std::u16string ReadProfileStringFromBytes(std::string_view bytes, std::u16string_view section,
                                          std::u16string_view key, std::u16string_view fallback,
                                          const ProfileEncoding* encoding = nullptr);

// The bytes of the file after writing one key; exposed for tests and the fuzz target.
std::string WriteProfileStringToBytes(std::string_view bytes, std::u16string_view section,
                                      std::u16string_view key, std::u16string_view value);

}  // namespace orvane

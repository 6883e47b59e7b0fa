// The words the XML uses for property types, states, permissions and switch rules, each at the
// index of its code in kestor.h ("" where a code has no word).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestor {

inline constexpr std::array<std::string_view, 6> TYPE_WORDS{"", "Text", "Number", "Switch", "Light", "BLOB"};
inline constexpr std::array<std::string_view, 4> STATE_WORDS{"Idle", "Ok", "Busy", "Alert"};
inline constexpr std::array<std::string_view, 4> PERM_WORDS{"", "ro", "wo", "rw"};
inline constexpr std::array<std::string_view, 4> RULE_WORDS{"", "OneOfMany", "AtMostOne", "AnyOfMany"};

// The code of a word; nothing for a word the table does not hold.
template <size_t N>
std::optional<uint32_t> codeOf(const std::array<std::string_view, N> &words, std::string_view word) {
  for (size_t i = 0; i < N; ++i)
    if (!words[i].empty() && words[i] == word) return static_cast<uint32_t>(i);
  return std::nullopt;
}

// The word of a code, as a log line shows it: "none" for a code without a word, the number for a
// code beyond the table.
template <size_t N>
std::string wordOf(const std::array<std::string_view, N> &words, uint32_t code) {
  if (code >= N) return std::to_string(code);
  return words[code].empty() ? "none" : std::string(words[code]);
}

}  // namespace kestor

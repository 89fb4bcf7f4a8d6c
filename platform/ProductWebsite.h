#pragma once

namespace vantoro {

// The product's web address: what "Visit our website" and the player's Home button open, and
// what the comment on line 2 of every ASX playlist the program writes names.
inline constexpr char kProductWebAddress[] = "https://www.vantoro.org/";

} // namespace vantoro

#pragma once
// Join codes of private tables: six characters from an alphabet without 0, O, 1 and I, so a code
// read aloud or from a screen is typed right; 32^6 = 2^30 codes. Lookups ignore case.

// Qt
#include <QString>

// std
#include <functional>
#include <optional>

namespace pelvo::hub {

inline constexpr char CodeAlphabet[] = "23456789ABCDEFGHJKLMNPQRSTUVWXYZ";
inline constexpr int CodeLength = 6;

// The code in its one written form (upper case), or nullopt when `text` cannot be a code.
std::optional<QString> normaliseCode(const QString& text);

// A fresh code drawn from the system's random source.
QString newCode();

// A random opaque string of `bytes` random bytes, for table ids and keys (URL-safe base64).
QString randomToken(int bytes);

} // namespace pelvo::hub

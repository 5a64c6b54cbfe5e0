#pragma once
// One private C.UTF-8 character-class table for case folding and case changes, so
// they follow Unicode whatever the user's locale is (a Turkish locale would map "i"
// to a dotted capital and back differently) and stay safe across threads, since
// setlocale() plays no part.

#include <locale.h>

namespace arbel::text {

// The table, made once; null where the C library has no C.UTF-8 locale.
locale_t unicodeCtype();

}  // namespace arbel::text

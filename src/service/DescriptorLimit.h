#pragma once
// A service holds a descriptor per connection: raise the soft limit of open files to the hard
// limit at start, so the ceiling is the one the operator set (LimitNOFILE= in the unit) and not
// the login default of 1,024.

namespace pelvo {

// The soft limit after the call (unchanged when it cannot be raised).
long raiseOpenFileLimit();

} // namespace pelvo

#pragma once
// What the help, about and download windows share: their compiled-in resources (help pages,
// the download picture).

namespace pelvo::sidewindows {

// Registers the resources of this library; safe to call more than once.
void initResources();

} // namespace pelvo::sidewindows

#pragma once
// Helpers every test binary shares: isolated folders, free ports, built programs.

#include <QString>

namespace pelvo::test {

// A loopback port, free for TCP and UDP at the moment of the call and not handed out before in
// this process.
quint16 freePort();

// Folder of the build tree (set by CTest through PELVO_TEST_BIN_DIR).
QString binaryDir();

// Full path of a built program, e.g. programPath("src/pelvo").
QString programPath(const QString& relative);

// This process's resident memory in KiB: now, and at its peak since the last resetPeakMemory().
long residentKiB();
long peakResidentKiB();
// Starts the peak afresh; false where the kernel does not let it.
bool resetPeakMemory();

} // namespace pelvo::test

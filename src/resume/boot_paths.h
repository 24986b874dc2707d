#pragma once

// Paths in the plug-in's msiexec arguments that a resumed run cannot use: it runs at the next
// start as SYSTEM, in the copy's folder, where a relative path points elsewhere and network
// shares are out of reach.

#include <string>

// The paths of `args` that are relative or on a network share, each with why, joined by ", "
// ("log.txt (relative), \\srv\t.mst (network share)"); empty when there are none. Looked at:
// the log file of /l (or -l and its letters), each transform of TRANSFORMS (those embedded in
// the package, ":name", aside), and INSTALLDIR and TARGETDIR: values that the run log shows
// anyway, never a masked one.
std::u16string PathsUnfitAtBoot(const std::u16string& args);

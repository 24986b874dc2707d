#pragma once

#include "check/check_inputs.h"
#include "check/check_report.h"
#include "check/simulated_system.h"

// Checks the distribution in the current directory: every path of the launcher on 32-bit and
// 64-bit Windows, the registry, ACL and certificate files, and the package files no path
// reaches. Reads, never writes.
CheckReport CheckDistribution(const RealSystem& real, FileReader& files,
                              CertificateReader& certificates);

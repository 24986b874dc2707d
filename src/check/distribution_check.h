#pragma once

#include <string>

#include "check/check_inputs.h"
#include "check/check_report.h"
#include "check/simulated_system.h"

// Checks the distribution in the current directory into `report`: every path of the launcher on
// 32-bit and 64-bit Windows, and on the kinds that try a platform first where the distribution
// has packages of it (see platform_packages.h), the registry, ACL and certificate files, and the
// package files no path reaches. Reads, never writes. 0, or kCheckBadUsage where a path installs
// more than one package, which the report cannot show: `unjudged` then names it ("Plug-in, 32-bit
// Windows: fresh installation").
int CheckDistribution(const RealSystem& real, FileReader& files, CertificateReader& certificates,
                      CheckReport& report, std::u16string& unjudged);

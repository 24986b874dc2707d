#pragma once

#include <vector>

#include "check/check_report.h"
#include "check/simulated_system.h"
#include "common/platforms.h"
#include "common/product_catalogue.h"

// Which kinds of Windows the check simulates, and what it says of the platforms some kinds try
// first (arm64 on Windows on Arm): a kind that takes one platform is always simulated, one that
// tries a platform first only where the distribution has packages of that platform.

// Whether a file one level down matches the prefix of `product` and the tag of `platform`
// ("csp*arm64*"): the lookup that tells the launcher whether to fall back.
bool HasPackagesOf(const RealSystem& real, const Product& product, PackagePlatformId platform);

// Whether the check simulates `windows`: it takes one platform, or some of `products` has
// packages of the platform it tries first.
bool Simulated(const RealSystem& real, const std::vector<const Product*>& products,
               const WindowsKind& windows);

// Lines into `section` for each platform that kinds of Windows try first. Where none of
// `products` has packages of it: one note of what those kinds take instead. Where some have: for
// each product without, a warning for each such kind that then installs the product's package of
// a 64-bit platform of another machine, registered where the kind's native programs look, which
// cannot load it.
void CheckPlatformPackages(const RealSystem& real, const std::vector<const Product*>& products,
                           ReportSection& section);

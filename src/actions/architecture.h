#pragma once

#include <string>

#include "actions/setup_state.h"
#include "common/platforms.h"
#include "common/product_catalogue.h"
#include "system/system.h"

// Which Windows the launcher runs on, and which platform's package it takes for each product.

// True under WOW64: IsWow64Process's answer, and always on 64-bit ARM Windows, where the x86
// launcher is emulated and sees the registry views and folders of any 64-bit Windows. With
// `requireSuccess` a failed IsWow64Process call counts as not WOW64.
bool IsWow64(const System& sys, Wow64Cache& cache, bool requireSuccess);

// The kind of Windows the launcher runs on: the native machine from IsWow64Process2, or from
// IsWow64Process where that is missing; on 64-bit ARM, whether x64 programs run there.
const WindowsKind& RunningWindows(const System& sys, Wow64Cache& cache);

// The pattern of the package of `product` that `kind` takes: the product's prefix, the tag of
// the first of its platforms whose package the distribution has (the last one taken without a
// look), then `rest`. `chosen` receives the platform.
std::u16string PackagePattern(const System& sys, const WindowsKind& kind, const Product& product,
                              const std::u16string& rest, PackagePlatformId* chosen = nullptr);

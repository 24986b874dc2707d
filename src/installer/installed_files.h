#pragma once

// The files an installed product keeps on disk, read from its cached package and the
// installer's component paths before anything removes it: what a removal may leave to the
// restart, and what other programs may hold open.

#include <string>
#include <vector>

#include "common/product_catalogue.h"
#include "system/system.h"

// Whether a component's key path, as MsiGetComponentPathW gives it, is a file: not a registry
// key ("02:\SOFTWARE\...", "22:\..."; two digits and a colon), not a folder (a trailing
// backslash), not empty.
bool IsFileKeyPath(const std::u16string& keyPath);

// The files of every component of `product` installed locally whose key path is a file: that
// file's folder and the long name of each of the component's File rows. Empty (logged) when the
// cached package is unknown or unreadable, or when the program reads no package tables.
std::vector<std::u16string> ReadInstalledFiles(const System& sys, const Product& product);

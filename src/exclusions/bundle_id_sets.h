#pragma once

#include <string>
#include <unordered_set>

#include "platform/workspace.h"

namespace qm {

using BundleIDSet = std::unordered_set<std::string>;

// Applications whose middle clicks are always left alone: virtual machines,
// remote desktops and 3D tools that give the middle button a meaning of their
// own. Each platform names them its own way.
const BundleIDSet& kDefaultExcludedBundleIDs(platform::AppIdentifierKind kind);

// Browsers and other applications showing web content, where a middle click
// on a link opens it in a new tab instead of starting a session.
const BundleIDSet& kWebAppBundleIDs(platform::AppIdentifierKind kind);

}  // namespace qm

#include "exclusions/bundle_id_sets.h"

namespace qm {

const BundleIDSet& kDefaultExcludedBundleIDs() {
    static const BundleIDSet set{
        "com.parallels.desktop.console",
        "com.vmware.fusion",
        "com.utmapp.UTM",
        "com.microsoft.rdc.macos",
        "com.citrix.receiver.icaviewer.mac",
        "org.blenderfoundation.blender",
        "org.virtualbox.app.VirtualBoxVM",
    };
    return set;
}

const BundleIDSet& kWebAppBundleIDs() {
    static const BundleIDSet set{
        "com.google.Chrome",
        "org.chromium.Chromium",
        "com.brave.Browser",
        "com.microsoft.edgemac",
        "company.thebrowser.Browser",
        "com.apple.Safari",
        "com.anthropic.claudefordesktop",
        "com.tinyspeck.slackmacgap",
        "com.microsoft.VSCode",
        "org.mozilla.firefox",
        "com.vivaldi.Vivaldi",
        "com.operasoftware.Opera",
    };
    return set;
}

}  // namespace qm

#include "exclusions/bundle_id_sets.h"

namespace qm {

using platform::AppIdentifierKind;

const BundleIDSet& kDefaultExcludedBundleIDs(AppIdentifierKind kind) {
    static const BundleIDSet bundleIDs{
        "com.parallels.desktop.console",
        "com.vmware.fusion",
        "com.utmapp.UTM",
        "com.microsoft.rdc.macos",
        "com.citrix.receiver.icaviewer.mac",
        "org.blenderfoundation.blender",
        "org.virtualbox.app.VirtualBoxVM",
    };
    // The class strings these applications' windows carry on X11.
    static const BundleIDSet wmClasses{
        "VirtualBox Machine",   // VirtualBox
        "Vmware",               // VMware Workstation and Player
        "Virt-viewer",          // virt-viewer
        "Remote-viewer",        // remote-viewer (SPICE, VNC)
        "Virt-manager",         // virt-manager's consoles
        "org.gnome.Boxes",      // GNOME Boxes
        "Qemu-system-x86_64",   // QEMU's own window
        "org.remmina.Remmina",  // Remmina
        "xfreerdp",             // FreeRDP
        "TigerVNC Viewer",      // TigerVNC
        "krdc",                 // KDE's remote desktop client
        "Wfica",                // Citrix Workspace
        "Blender",              // Blender
        "FreeCAD",              // FreeCAD
    };
    return kind == AppIdentifierKind::wmClass ? wmClasses : bundleIDs;
}

const BundleIDSet& kWebAppBundleIDs(AppIdentifierKind kind) {
    static const BundleIDSet bundleIDs{
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
    // The browsers and Electron editors, by the class strings of their windows.
    static const BundleIDSet wmClasses{
        "firefox",             // Firefox
        "firefox-esr",         // Firefox ESR as Debian builds it
        "Chromium",            // Chromium
        "Google-chrome",       // Google Chrome
        "Brave-browser",       // Brave
        "Microsoft-edge",      // Microsoft Edge
        "Vivaldi-stable",      // Vivaldi
        "Opera",               // Opera
        "org.gnome.Epiphany",  // GNOME Web
        "Code",                // Visual Studio Code
        "VSCodium",            // VSCodium
        "Slack",               // Slack
        "discord",             // Discord
    };
    return kind == AppIdentifierKind::wmClass ? wmClasses : bundleIDs;
}

}  // namespace qm

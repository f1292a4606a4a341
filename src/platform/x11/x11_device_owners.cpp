#include "platform/x11/x11_device_owners.h"

#include <X11/extensions/XInput2.h>
#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/x11/x11_error_trap.h"

namespace qm::x11 {

namespace {

constexpr std::string_view prefix = "Quillmere ", onHost = " on ", pointerSuffix = " pointer";

std::string hostName() {
    char name[HOST_NAME_MAX + 1] = {};
    gethostname(name, sizeof name - 1);
    return name;
}

bool stillRuns(pid_t pid) {
    return kill(pid, 0) == 0 || errno != ESRCH;
}

struct MasterPointer {
    int id;
    std::string name;
};

std::vector<MasterPointer> masterPointers(Display* display) {
    int count = 0;
    XIDeviceInfo* devices = XIQueryDevice(display, XIAllMasterDevices, &count);
    std::vector<MasterPointer> found;
    for (int i = 0; i < count; ++i)
        if (devices[i].use == XIMasterPointer) found.push_back({devices[i].deviceid, devices[i].name});
    XIFreeDeviceInfo(devices);
    return found;
}

// The owner a master pointer's name tells of, if it is the program's.
struct DeviceOwner {
    pid_t pid = 0;
    std::string host;  // empty in the names of earlier versions, which ran on this host
};

std::optional<DeviceOwner> deviceOwner(const std::string& masterPointerName) {
    std::string_view name = masterPointerName;
    if (!name.starts_with(prefix) || !name.ends_with(pointerSuffix)) return std::nullopt;
    name.remove_prefix(prefix.size());
    name.remove_suffix(pointerSuffix.size());
    DeviceOwner owner;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), owner.pid);
    if (error != std::errc() || owner.pid <= 0) return std::nullopt;
    const std::string_view rest(end, static_cast<std::size_t>(name.data() + name.size() - end));
    if (rest.empty()) return owner;
    if (!rest.starts_with(onHost) || rest.size() == onHost.size()) return std::nullopt;
    owner.host = rest.substr(onHost.size());
    return owner;
}

}  // namespace

std::string ownDeviceName() {
    return std::string(prefix) + std::to_string(getpid()) + std::string(onHost) + hostName();
}

void removeLeftoverDevices(Connection& connection, platform::SystemLog& log) {
    Display* d = connection.display();
    const std::string host = hostName();
    for (const MasterPointer& pointer : masterPointers(d)) {
        const auto owner = deviceOwner(pointer.name);
        if (!owner || owner->pid == getpid()) continue;
        const std::string who =
            "Quillmere " + std::to_string(owner->pid) + (owner->host.empty() ? "" : " on " + owner->host);
        if (!owner->host.empty() && owner->host != host) {
            log.log("Quillmere: keeping the input devices of " + who + ", which runs on another machine");
            continue;
        }
        if (stillRuns(owner->pid)) {
            log.log("Quillmere: keeping the input devices of " + who + ", whose process still runs");
            continue;
        }
        // Its keyboard goes with it; the physical devices attached to either go back to the user's.
        XIRemoveMasterInfo remove{XIRemoveMaster, pointer.id, XIAttachToMaster, connection.pointerDevice(),
                                  connection.keyboardDevice()};
        ErrorTrap trap(d);
        XIChangeHierarchy(d, reinterpret_cast<XIAnyHierarchyChangeInfo*>(&remove), 1);
        if (trap.sync() == Success)
            log.log("Quillmere: removed the input devices that " + who + " left behind; that process has ended");
    }
}

}  // namespace qm::x11

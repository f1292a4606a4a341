#import <Foundation/Foundation.h>

#include "platform/macos/mac_services.h"
#include "platform/macos/mac_status_bar.h"
#include "platform/macos/ns_string.h"

// The parts of SMAppService (macOS 13) the program uses; the SDK predates it.
@protocol QMAppService <NSObject>
+ (id<QMAppService>)mainAppService;
@property(readonly) NSInteger status;
- (BOOL)registerAndReturnError:(NSError**)error;
- (BOOL)unregisterAndReturnError:(NSError**)error;
@end

// The parts of Sparkle's SPUStandardUpdaterController the program uses.
@protocol QMStandardUpdaterController <NSObject>
- (instancetype)initWithStartingUpdater:(BOOL)startUpdater
                        updaterDelegate:(id)updaterDelegate
                     userDriverDelegate:(id)userDriverDelegate;
- (void)checkForUpdates:(id)sender;
@end

namespace qm::macos {

namespace {

std::string toString(NSString* text) {
    const char* utf8 = text.UTF8String;
    return utf8 ? utf8 : "";
}

id<QMAppService> mainAppService() {
    Class<QMAppService> serviceClass = NSClassFromString(@"SMAppService");
    return [serviceClass mainAppService];
}

using Registration = BOOL (^)(id<QMAppService>, NSError**);

bool callService(Registration call, std::string& error) {
    id<QMAppService> service = mainAppService();
    if (!service) {
        error = "Launch at login needs macOS 13 or later";
        return false;
    }
    NSError* failure = nil;
    if (call(service, &failure)) return true;
    error = failure ? toString(failure.description) : "the system gave no reason";
    return false;
}

class MacUpdaterController : public platform::UpdaterController {
public:
    explicit MacUpdaterController(id<QMStandardUpdaterController> controller) : controller_(controller) {}

    void performAction(std::string_view selector, platform::MenuItem& sender) override {
        if (selector != "checkForUpdates:") return;
        const auto* item = dynamic_cast<MacMenuItem*>(&sender);
        [controller_ checkForUpdates:item ? item->nsItem() : nil];
    }

private:
    id<QMStandardUpdaterController> controller_;
};

bool hasFeed() {
    id feed = [NSBundle.mainBundle objectForInfoDictionaryKey:@"SUFeedURL"];
    return [feed isKindOfClass:NSString.class] && [static_cast<NSString*>(feed) length] > 0;
}

// NSClassFromString finds only classes already loaded, and nothing loads a
// framework the executable does not link: the bundle is loaded here, from the
// application's own frameworks, when it ships there.
Class standardUpdaterControllerClass() {
    NSURL* frameworks = NSBundle.mainBundle.privateFrameworksURL;
    NSBundle* sparkle =
        frameworks ? [NSBundle bundleWithURL:[frameworks URLByAppendingPathComponent:@"Sparkle.framework"]] : nil;
    if (![sparkle loadAndReturnError:nil]) return nil;
    return NSClassFromString(@"SPUStandardUpdaterController");
}

}  // namespace

bool MacLoginItems::isAvailable() const {
    return mainAppService() != nil;
}

platform::LoginItemStatus MacLoginItems::status() const {
    id<QMAppService> service = mainAppService();
    // SMAppServiceStatus has the same raw values as LoginItemStatus.
    return service ? static_cast<platform::LoginItemStatus>(service.status) : platform::LoginItemStatus::notFound;
}

bool MacLoginItems::registerApp(std::string& error) {
    return callService(
        ^(id<QMAppService> service, NSError** failure) {
          return [service registerAndReturnError:failure];
        },
        error);
}

bool MacLoginItems::unregisterApp(std::string& error) {
    return callService(
        ^(id<QMAppService> service, NSError** failure) {
          return [service unregisterAndReturnError:failure];
        },
        error);
}

std::unique_ptr<platform::UpdaterController> MacUpdater::makeStandardController() {
    // A started updater with nowhere to look greets the user with an error at launch.
    if (!hasFeed()) return nullptr;
    Class controllerClass = standardUpdaterControllerClass();
    if (!controllerClass) return nullptr;
    id<QMStandardUpdaterController> controller = [[controllerClass alloc] initWithStartingUpdater:YES
                                                                                  updaterDelegate:nil
                                                                               userDriverDelegate:nil];
    return std::make_unique<MacUpdaterController>(controller);
}

void MacSystemLog::log(std::string_view line) {
    NSLog(@"%@", nsString(line));
}

std::string MacBundle::localizedString(std::string_view key, std::string_view value) const {
    return toString([NSBundle.mainBundle localizedStringForKey:nsString(key) value:nsString(value) table:nil]);
}

}  // namespace qm::macos

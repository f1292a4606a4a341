#import <Foundation/Foundation.h>

#include "app/main_sequence.h"
#include "platform/macos/mac_platform.h"

int main() {
    @autoreleasepool {
        // The system's services and the program live as long as the process:
        // the application's run loop does not return.
        static qm::macos::MacPlatform services;
        static qm::Main program(services.platform());
        program.run();
    }
    return 0;
}

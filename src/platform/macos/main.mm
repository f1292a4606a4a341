#import <Foundation/Foundation.h>

#include "app/main_sequence.h"
#include "platform/macos/mac_platform.h"

int main() {
    @autoreleasepool {
        // The system's services and the program live as long as the process,
        // and are deliberately never destroyed: quitting ends in exit(), which
        // would run the destructors of statics while AppKit may be gone.
        auto* services = new qm::macos::MacPlatform;
        auto* program = new qm::Main(services->platform());
        program->run();
    }
    return 0;
}

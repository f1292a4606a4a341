#import <Foundation/Foundation.h>

#include "platform/macos/ns_string.h"
#include "platform/utf8.h"

namespace qm::macos {

NSString* nsString(std::string_view text) {
    const std::string valid = platform::repairedUtf8(text);
    NSString* string = [[NSString alloc] initWithBytes:valid.data() length:valid.size() encoding:NSUTF8StringEncoding];
    return string ?: @"";
}

}  // namespace qm::macos

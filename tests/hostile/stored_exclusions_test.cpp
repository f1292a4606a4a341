#include <gtest/gtest.h>

#include <set>
#include <string>

#include "exclusions/exclusion_manager.h"
#include "platform/sim/world.h"

namespace qm::test {
namespace {

using platform::Value;

constexpr const char* kKey = "excludedBundleIDs";

// The stored list as a set; fails unless it is an array of distinct strings.
std::set<std::string> storedIDs(sim::World& world) {
    std::set<std::string> ids;
    const Value* stored = world.defaults().get(kKey);
    const auto* array = stored ? stored->asArray() : nullptr;
    if (!array) ADD_FAILURE() << "the stored list is not an array";
    for (const Value& element : array ? *array : Value::Array{}) {
        const auto* id = element.asString();
        EXPECT_TRUE(id && ids.insert(*id).second) << "not a string, or a duplicate";
    }
    return ids;
}

// Whatever another process or an older version left under the key: what reads
// back from it is exactly what a toggle must keep.
TEST(StoredExclusions, MalformedStoredValueReadsAsWhatItHoldsAndIsRewrittenWellFormed) {
    struct Case {
        const char* name;
        Value stored;
        std::set<std::string> readable;
    };
    const Case cases[] = {
        {"absent", Value(), {}},
        {"a single string", Value("com.example.Notes"), {}},
        {"a whole number", Value(42), {}},
        {"a boolean", Value(true), {}},
        {"a dictionary", Value(Value::Dictionary{{"com.example.Notes", true}}), {}},
        {"an array with a number", Value(Value::Array{"com.example.Notes", 7}), {}},
        {"an array with a nested array", Value(Value::Array{"com.example.Notes", Value::Array{"x"}}), {}},
        {"an empty array", Value(Value::Array{}), {}},
        {"duplicates",
         Value(Value::Array{"com.example.B", "com.example.A", "com.example.B"}),
         {"com.example.A", "com.example.B"}},
    };
    const std::string added = "com.example.Added";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::World world;
        world.defaults().put(kKey, c.stored);
        ExclusionManager manager(world.defaults(), world.platform().appIdentifiers);

        EXPECT_TRUE(manager.isExcluded("com.vmware.fusion"));
        // An identifier inside a value that does not read as a list of strings counts for nothing.
        EXPECT_FALSE(manager.isExcluded("com.example.Notes"));
        for (const auto& id : c.readable) EXPECT_TRUE(manager.isExcluded(id)) << id;
        // Reading the list never writes it, nor does removing what it does not hold.
        manager.remove("com.example.Missing");
        const Value* kept = world.defaults().get(kKey);
        EXPECT_EQ(kept ? *kept : Value(), c.stored);

        EXPECT_TRUE(manager.toggle(added));
        std::set<std::string> expected = c.readable;
        expected.insert(added);
        EXPECT_EQ(storedIDs(world), expected);

        EXPECT_FALSE(manager.toggle(added));
        EXPECT_EQ(storedIDs(world), c.readable);
        EXPECT_TRUE(manager.isExcluded("com.vmware.fusion"));
    }
}

TEST(StoredExclusions, ToggleFlipsUserIDsButNeverUnexcludesADefault) {
    sim::World world;
    ExclusionManager manager(world.defaults(), world.platform().appIdentifiers);

    EXPECT_TRUE(manager.toggle("com.example.Notes"));
    EXPECT_EQ(storedIDs(world), std::set<std::string>{"com.example.Notes"});
    EXPECT_FALSE(manager.toggle("com.example.Notes"));
    // Emptied, not removed: the key still holds a well-formed array.
    EXPECT_EQ(storedIDs(world), std::set<std::string>{});

    EXPECT_TRUE(manager.toggle("com.vmware.fusion"));
    EXPECT_EQ(storedIDs(world), std::set<std::string>{"com.vmware.fusion"});
    EXPECT_TRUE(manager.toggle("com.vmware.fusion"));
    EXPECT_EQ(storedIDs(world), std::set<std::string>{});

    // Letter case makes a different identifier.
    EXPECT_FALSE(manager.isExcluded("COM.VMWARE.FUSION"));
    EXPECT_TRUE(manager.toggle("com.example.Notes"));
    EXPECT_FALSE(manager.isExcluded("com.example.notes"));
    EXPECT_TRUE(manager.toggle("com.example.notes"));
    EXPECT_EQ(storedIDs(world), (std::set<std::string>{"com.example.Notes", "com.example.notes"}));
}

}  // namespace
}  // namespace qm::test

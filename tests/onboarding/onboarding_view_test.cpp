#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "onboarding/onboarding_view.h"
#include "platform/cairo/pango_text.h"
#include "platform/cairo/view_layout.h"
#include "platform/sim/sim_services.h"
#include "platform/views/view.h"
#include "tools/strings_loading.h"

namespace qm::test {
namespace {

namespace v = platform::views;
using v::Node;

// Accessibility behind either kind of gate, as far as the page asks.
struct Gate : platform::Accessibility {
    explicit Gate(platform::AccessGate kind) : kind(kind) {}
    std::unique_ptr<platform::AXElement> createSystemWide() override { return nullptr; }
    bool isProcessTrusted(bool) override { return true; }
    platform::AccessGate accessGate() const override { return kind; }
    platform::AccessGate kind;
};

// The onboarding view in a host, with counters on its two requests.
struct Page {
    explicit Page(strings::StringsTable strings = strings::parseStringsTable(tools::shippedStrings()),
                  platform::AccessGate gate = platform::AccessGate::processPermission)
        : access(gate) {
        bundle.setStrings(std::move(strings));
        host = std::make_unique<v::ViewHost>(std::make_unique<OnboardingView>(
            bundle, [this] { ++settingsOpened; }, [this] { ++finished; }, 0, 2, access));
    }

    int step() { return host->state().value("step", 0); }

    std::vector<std::string> buttons() const {
        std::vector<std::string> found;
        v::walk(host->tree(), [&](const Node& node) {
            if (node.kind == Node::Kind::button) found.push_back(node.identifier);
        });
        return found;
    }

    // The fills of the page indicator's dots, in order.
    std::vector<v::ShapeStyle> dots() const {
        std::vector<v::ShapeStyle> found;
        v::walk(host->tree(), [&](const Node& node) {
            if (node.kind == Node::Kind::circle) found.push_back(node.find<v::modifier::Fill>()->style);
        });
        return found;
    }

    Gate access;
    sim::SimBundle bundle;
    int settingsOpened = 0;
    int finished = 0;
    std::unique_ptr<v::ViewHost> host;
};

std::string dotPattern(const std::vector<v::ShapeStyle>& dots) {
    std::string pattern;
    for (const auto& dot : dots) {
        if (dot.color == v::SemanticColor::accent && dot.opacity == 1)
            pattern += 'o';
        else if (dot.color == v::SemanticColor::secondary && dot.opacity == 0.35)
            pattern += '.';
        else
            pattern += '?';
    }
    return pattern;
}

TEST(OnboardingView, EachStepHasItsButtonsDotAndDefault) {
    Page page;
    EXPECT_EQ(page.buttons(), (std::vector<std::string>{"skip", "next"}));
    EXPECT_EQ(dotPattern(page.dots()), "o..");

    ASSERT_TRUE(page.host->pressDefault());  // Return acts as Next
    EXPECT_EQ(page.step(), 1);
    EXPECT_TRUE(page.host->state().lastChangeAnimated());
    EXPECT_EQ(page.buttons(), (std::vector<std::string>{"openSettings", "back", "skip", "next"}));
    EXPECT_EQ(dotPattern(page.dots()), ".o.");

    ASSERT_TRUE(page.host->press("back"));
    EXPECT_EQ(page.step(), 0);
    EXPECT_EQ(page.buttons(), (std::vector<std::string>{"skip", "next"}));

    page.host->press("next");
    page.host->press("next");
    EXPECT_EQ(page.buttons(), (std::vector<std::string>{"back", "done"}));
    EXPECT_EQ(dotPattern(page.dots()), "..o");
    EXPECT_EQ(page.finished, 0);
}

// Every text of every step gets the whole height it needs at the width it is given.
void checkNothingIsCut(Page& page) {
    const cairo::PangoTextMeasure measure;
    const cairo::Layout layout(measure);
    for (int step = 0; step < 3; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        const cairo::Size pageSize = layout.sizeThatFits(page.host->tree(), {2000, 2000});
        EXPECT_EQ(pageSize.width, 460);
        EXPECT_EQ(pageSize.height, 420);
        const cairo::Placed placed = layout.place(page.host->tree(), pageSize);
        int texts = 0;
        const std::function<void(const cairo::Placed&)> check = [&](const cairo::Placed& p) {
            if (p.node->kind == Node::Kind::text && p.node->find<v::modifier::FixedSize>()) {
                ++texts;
                const cairo::Size needed = measure.measure(p.node->text, p.environment.font, p.frame.width);
                EXPECT_LE(p.frame.width, 420);  // the page less its margins
                EXPECT_GE(p.frame.height, needed.height) << p.node->text.substr(0, 30);
            }
            for (const auto& child : p.children) check(child);
        };
        check(placed);
        EXPECT_GT(texts, 0);
        page.host->press("next");
    }
}

// A translation far longer than the English: the page keeps its size and
// every text gets the whole height it needs at the width it is given, on
// either kind of access page.
TEST(OnboardingView, LongTextsWrapAndAreNeverCut) {
    strings::StringsTable strings = strings::parseStringsTable(tools::shippedStrings());
    for (auto& [key, text] : strings.entries) {
        std::string longer;
        for (int i = 0; i < 6; ++i) longer += text + " ";
        text = longer;
    }
    for (const auto gate : {platform::AccessGate::processPermission, platform::AccessGate::desktopSupport}) {
        SCOPED_TRACE(gate == platform::AccessGate::desktopSupport ? "desktop support" : "permission");
        Page page(strings, gate);
        checkNothingIsCut(page);
    }
}

}  // namespace
}  // namespace qm::test

#include "onboarding/onboarding_view.h"

#include <numeric>
#include <vector>

#include "app/localized_text.h"

namespace qm {

namespace v = platform::views;
using v::Font;
using v::FontWeight;
using v::HorizontalAlignment;
using v::SemanticColor;
using v::ShapeStyle;
using v::VerticalAlignment;

namespace {

constexpr double pageWidth = 460;
constexpr double pageHeight = 420;

struct AccessTexts {
    const char* title;
    const char* body;
    const char* button;
};

// The access page asks for a permission in the system's settings, or offers
// to switch the desktop's accessibility support on.
AccessTexts accessTexts(platform::AccessGate gate) {
    if (gate == platform::AccessGate::desktopSupport)
        return {"onb.step2.desktop.title", "onb.step2.desktop.body", "onb.step2.desktop.enable"};
    return {"onb.step2.title", "onb.step2.body", "onb.step2.openSettings"};
}

v::Node symbol(const std::string& name, double size) {
    return v::Image(name)
        .font(Font::system(size))
        .foregroundStyle({SemanticColor::tint})
        .symbolRenderingMode(v::SymbolRenderingMode::hierarchical);
}

}  // namespace

std::string OnboardingView::text(std::string_view key) const {
    return localizedText(bundle_, key);
}

std::string OnboardingView::title(int step) const {
    if (step == 0) return text("onb.step1.title");
    if (step == 1) return text(accessTexts(access_.accessGate()).title);
    return text("onb.step3.title");
}

v::Node OnboardingView::stepIcon(const std::string& name) const {
    return symbol(name, 44);
}

v::Node OnboardingView::stepArt(int step) const {
    if (step == 0) return symbol("computermouse.fill", 84);
    if (step == 1) return symbol("lock.shield.fill", 84);
    return v::HStack(
        VerticalAlignment::center, 26,
        {stepIcon("cursorarrow.click"), stepIcon("arrow.up.and.down.and.arrow.left.and.right"), stepIcon("escape")});
}

v::Node OnboardingView::bullet(const std::string& symbolName, const std::string& line) const {
    return v::HStack(VerticalAlignment::top, 10,
                     {v::Image(symbolName).frame(20, std::nullopt).foregroundStyle({SemanticColor::tint}),
                      v::Text(line).fixedSize(false, true)});
}

v::Node OnboardingView::stepBody(int step) const {
    if (step == 0)
        return v::VStack(HorizontalAlignment::leading, 12,
                         {v::Text(text("onb.step1.body")).fixedSize(false, true),
                          v::Label(text("onb.step1.mouse"), "exclamationmark.triangle.fill")
                              .font(Font::callout())
                              .foregroundStyle({SemanticColor::orange})
                              .fixedSize(false, true)});
    if (step == 1)
        return v::VStack(HorizontalAlignment::leading, 16,
                         {v::Text(text(accessTexts(access_.accessGate()).body)).fixedSize(false, true),
                          v::Button(accessButtonTitle(), openSettings_)
                              .controlSize(v::ControlSize::large)
                              .identified("openSettings")});
    return v::VStack(
        HorizontalAlignment::leading, 12,
        {bullet("cursorarrow.click", text("onb.step3.line1")), bullet("hand.raised.fill", text("onb.step3.line2")),
         bullet("shift.fill", text("onb.step3.line3"))});
}

// Once the desktop's support is on, the button says so.
std::string OnboardingView::accessButtonTitle() const {
    const platform::AccessGate gate = access_.accessGate();
    if (gate == platform::AccessGate::desktopSupport && access_.desktopSupportIsOn())
        return text("onb.step2.desktop.on");
    return text(accessTexts(gate).button);
}

v::Node OnboardingView::pageIndicator(int step) const {
    std::vector<int> indices(static_cast<std::size_t>(lastStep_ + 1));
    std::iota(indices.begin(), indices.end(), 0);
    return v::HStack(VerticalAlignment::center, 6, {v::ForEach(indices, [step](int index) {
                         const ShapeStyle dot = index == step ? ShapeStyle{SemanticColor::accent}
                                                              : ShapeStyle{SemanticColor::secondary}.withOpacity(0.35);
                         return v::Circle().fill(dot).frame(7, 7);
                     })});
}

v::Node OnboardingView::navigationBar(v::StateStore& state, int step) const {
    const auto goTo = [&state](int target) {
        return [&state, target] { state.withAnimation([&] { state.set("step", target); }); };
    };
    std::vector<Node> items{pageIndicator(step), v::Spacer()};
    if (step >= 1) items.push_back(v::Button(text("onb.back"), goTo(step - 1)).identified("back"));
    if (step < lastStep_) {
        items.push_back(v::Button(text("onb.skip"), finish_).identified("skip"));
        items.push_back(v::Button(text("onb.next"), goTo(step + 1))
                            .keyboardShortcut(v::KeyboardShortcut::defaultAction)
                            .identified("next"));
    } else {
        items.push_back(v::Button(text("onb.done"), finish_)
                            .keyboardShortcut(v::KeyboardShortcut::defaultAction)
                            .identified("done"));
    }
    return v::HStack(VerticalAlignment::center, std::nullopt, std::move(items))
        .padding(v::edge::horizontal, 20)
        .padding(v::edge::vertical, 14);
}

v::Node OnboardingView::body(v::StateStore& state) {
    const int step = state.value("step", initialStep_);
    v::Node header = v::ZStack(v::Alignment::center(), {v::RoundedRectangle(0).fill({SemanticColor::windowBackground}),
                                                        stepArt(step).frame(std::nullopt, 150)})
                         .frame({.maxWidth = v::infinity})
                         .frame(std::nullopt, 168);
    v::Node column =
        v::VStack(HorizontalAlignment::leading, 12,
                  {v::Text(title(step)).font(Font::system(18, FontWeight::semibold)), stepBody(step), v::Spacer(0)})
            .frame({.maxWidth = v::infinity, .alignment = v::Alignment::leading()})
            .padding(v::edge::all, 20);
    return v::VStack(HorizontalAlignment::center, 0,
                     {std::move(header), v::Divider(), std::move(column), v::Divider(), navigationBar(state, step)})
        .frame(pageWidth, pageHeight);
}

}  // namespace qm

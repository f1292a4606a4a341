#include "tools/runner.h"

namespace qm::tools {

namespace {

template <class... Handlers>
struct Overloaded : Handlers... {
    using Handlers::operator()...;
};

}  // namespace

Runner::Runner(std::ostream& out) : trace_(out, world_.runLoop()) {
    world_.setObserver(&trace_);
}

Runner::~Runner() {
    // The program's teardown is not part of the trace.
    world_.setObserver(nullptr);
    program_.reset();
}

void Runner::shutDown() {
    program_.reset();
}

void Runner::run(const Scenario& scenario) {
    for (const Step& step : scenario) {
        world_.runLoop().advanceTo(step.at);
        apply(step.action);
    }
}

void Runner::apply(const Action& action) {
    sim::World& w = world_;
    std::visit(Overloaded{
                   [&](const action::Screens& a) { w.screens().setScreens(a.frames); },
                   [&](const action::Trusted& a) { w.setTrusted(a.trusted); },
                   [&](const action::Frontmost& a) { w.workspace().setFrontmost(a.app); },
                   [&](const action::Defaults& a) {
                       for (const auto& [key, value] : a.values) w.defaults().put(key, value);
                   },
                   [&](const action::Window& a) { w.windows().putWindow(a.id, a.pid, a.layer, a.bounds); },
                   [&](const action::WindowInfo& a) { w.windows().putWindowInfo(a.entry); },
                   [&](const action::CloseWindow& a) { w.windows().closeWindow(a.id); },
                   [&](const action::Ax& a) { w.accessibility().addRegion(a.region); },
                   [&](const action::Move& a) { w.events().movePointer(a.to); },
                   [&](const action::Button& a) {
                       if (a.down)
                           w.events().pressButton(a.button, a.flags);
                       else
                           w.events().releaseButton(a.button, a.flags);
                   },
                   [&](const action::Key& a) { w.events().pressKey(a.code); },
                   [&](const action::Launch&) {
                       if (program_) return;
                       program_ = std::make_unique<Program>(w.platform());
                       program_->controller.setObserver(&trace_);
                       program_->controller.start();
                   },
                   [&](const action::DisableTap& a) {
                       for (const auto& tap : w.events().taps()) {
                           if (isKeyTap(*tap) == a.escape) {
                               w.events().disableTap(*tap, a.notice);
                               return;
                           }
                       }
                   },
                   [&](const action::End&) {},
               },
               action);
}

}  // namespace qm::tools

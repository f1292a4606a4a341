#include "tools/runner.h"

#include "platform/overloaded.h"

namespace qm::tools {

Runner::Runner(std::ostream& out, strings::StringsTable strings) : trace_(out, world_.runLoop()) {
    world_.setObserver(&trace_);
    world_.bundle().setStrings(std::move(strings));
    world_.application().setModalLoop([this] { return runModal(); });
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
    scenario_ = &scenario;
    next_ = 0;
    // Once the trace cannot be written, nobody can see what the rest would do.
    while (next_ < scenario.size() && !trace_.failed()) {
        step();
        // Out here every callback of the program has returned, so it can end.
        if (program_ && world_.application().terminated()) shutDown();
    }
    scenario_ = nullptr;
}

void Runner::step() {
    const Step& current = (*scenario_)[next_++];
    world_.runLoop().advanceTo(current.at);
    world_.runLoop().callout([&] { apply(current.action); });
}

platform::ModalResponse Runner::runModal() {
    while (scenario_ && next_ < scenario_->size() && !trace_.failed()) {
        const Step& current = (*scenario_)[next_];
        if (const auto* answer = std::get_if<action::AnswerAlert>(&current.action)) {
            ++next_;
            world_.runLoop().advanceTo(current.at);
            return answer->first ? platform::alertFirstButtonReturn : platform::alertSecondButtonReturn;
        }
        step();
        // A program that quits takes its alert with it.
        if (world_.application().terminated()) return platform::modalResponseAbort;
    }
    // The scenario ended with the alert up: nothing after its last line is traced.
    world_.setObserver(nullptr);
    return platform::modalResponseAbort;
}

void Runner::launch() {
    if (program_) return;
    program_ = std::make_unique<Main>(world_.platform());
    program_->delegate().scrollController().setObserver(&trace_);
    program_->run();
}

sim::SimWindow* Runner::hostedWindow(bool settings) {
    for (sim::SimWindow* window : world_.windows().visibleWindows())
        if (window->host() && isSettingsWindow(*window) == settings) return window;
    return nullptr;
}

void Runner::pressOnboarding(const std::string& button) {
    sim::SimWindow* window = hostedWindow(false);
    if (!window) return;
    // A button that is not on the page cannot be pressed.
    if (button == "close")
        window->performClose();
    else
        window->host()->press(button);
}

void Runner::useSettings(const action::Settings& control) {
    sim::SimWindow* window = hostedWindow(true);
    if (!window) return;
    // A control that is not in the window cannot be used.
    using Kind = action::Settings::Kind;
    switch (control.kind) {
        case Kind::close: window->performClose(); break;
        case Kind::set: window->host()->change(control.key, control.value); break;
        case Kind::removeExclusion: window->host()->press("remove:" + control.key); break;
        case Kind::reset: window->host()->press("reset"); break;
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
                   [&](const action::AxLatency& a) { w.accessibility().setLatency(a.latency); },
                   [&](const action::Move& a) { w.events().movePointer(a.to); },
                   [&](const action::Button& a) {
                       if (a.down)
                           w.events().pressButton(a.button, a.flags);
                       else
                           w.events().releaseButton(a.button, a.flags);
                   },
                   [&](const action::Key& a) { w.events().pressKey(a.code, a.flags); },
                   [&](const action::Launch&) { launch(); },
                   [&](const action::DisableTap& a) {
                       for (const auto& tap : w.events().taps()) {
                           if (tapName(*tap) == a.tap) {
                               w.events().disableTap(*tap, a.notice);
                               return;
                           }
                       }
                   },
                   [&](const action::Menu& a) { w.statusBar().open(a.action); },
                   // An answer with no alert up has nothing to answer.
                   [&](const action::AnswerAlert&) {},
                   [&](const action::LoginItem& a) {
                       if (a.available) w.loginItems().setAvailable(*a.available);
                       if (a.status) w.loginItems().setStatus(*a.status);
                       if (a.fail) w.loginItems().failNextCall(*a.fail);
                   },
                   [&](const action::Onboarding& a) { pressOnboarding(a.button); },
                   [&](const action::RefreshRate& a) { w.displayLinks().setRefreshRate(a.rate); },
                   [&](const action::Settings& a) { useSettings(a); },
                   [&](const action::End&) {},
                   [&](const action::Wake&) { w.wake(); },
                   // Without a running program there is nothing to open again.
                   [&](const action::Reopen&) {
                       if (program_) w.application().reopen();
                   },
                   [&](const action::RefuseTaps& a) { w.events().setTapCreationFails(a.refuse); },
               },
               action);
}

}  // namespace qm::tools

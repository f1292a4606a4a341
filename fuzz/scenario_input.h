#pragma once

#include <cmath>
#include <cstddef>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "fuzz_check.h"
#include "tools/scenario.h"

namespace qm::fuzz {

namespace scenario_detail {

// Split as std::getline splits, so that line numbers agree with the parser's.
inline std::vector<std::string> linesOf(std::string_view text) {
    std::vector<std::string> lines;
    std::istringstream in{std::string(text)};
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Blank lines and # comments, written apart from the parser so that the two check each other.
inline bool skipped(const std::string& line) {
    for (const char c : line) {
        if (c == ' ' || c == '\t' || c == '\r') continue;
        return c == '#';
    }
    return true;
}

inline std::string joined(const std::vector<std::string>& lines, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += lines[i] + '\n';
    return text;
}

// Coordinates and sizes are bounded, so that every number the trace derives from them is one.
inline bool bounded(double x) {
    return std::fabs(x) <= 1e9;
}
inline bool bounded(const platform::Rect& r) {
    return bounded(r.x) && bounded(r.y) && bounded(r.width) && bounded(r.height) && r.width >= 0 && r.height >= 0;
}

// What the runner relies on without checking again.
inline void checkAction(const tools::Action& action) {
    std::visit(
        [](const auto& a) {
            using A = std::decay_t<decltype(a)>;
            if constexpr (std::is_same_v<A, tools::action::Screens>) {
                for (const auto& frame : a.frames) check(bounded(frame), "a screen is a bounded, upright rect");
            } else if constexpr (std::is_same_v<A, tools::action::Window>) {
                check(a.id >= 0, "a window id is not negative");
                check(bounded(a.bounds), "window bounds are a bounded, upright rect");
            } else if constexpr (std::is_same_v<A, tools::action::Ax>) {
                check(bounded(a.region.bounds) && !a.region.roles.empty(), "an ax region has bounded bounds and roles");
            } else if constexpr (std::is_same_v<A, tools::action::Move>) {
                check(bounded(a.to.x) && bounded(a.to.y), "a move goes to a bounded point");
            } else if constexpr (std::is_same_v<A, tools::action::Button>) {
                check(a.button <= 31, "a button number is at most 31");
            } else if constexpr (std::is_same_v<A, tools::action::Key>) {
                check(a.code >= 0 && a.code <= 65535, "a key code fits 16 bits");
            } else if constexpr (std::is_same_v<A, tools::action::CloseWindow>) {
                check(a.id >= 0, "a closed window's id is not negative");
            } else if constexpr (std::is_same_v<A, tools::action::LoginItem>) {
                check(!a.status || (static_cast<int>(*a.status) >= 0 && static_cast<int>(*a.status) <= 3),
                      "a login item status is 0-3");
                check(a.status || a.available, "a login item line sets a status or the service's presence");
            } else if constexpr (std::is_same_v<A, tools::action::AxLatency>) {
                check(a.latency >= 0, "an accessibility latency is not negative");
            } else if constexpr (std::is_same_v<A, tools::action::RefreshRate>) {
                check(a.rate.hz >= 1 && a.rate.hz <= 1000 && a.rate.jitter >= 0 && a.rate.jitter < 1 / a.rate.hz,
                      "a refresh rate is 1 to 1000 Hz with less than a frame of jitter");
            }
        },
        action);
}

// Parses text; answers the line of the fault, or 0 when the whole text is accepted.
inline int parsedFaultLine(const std::string& text, tools::Scenario* out) {
    std::istringstream in(text);
    try {
        tools::Scenario scenario = tools::parseScenario(in);
        if (out) *out = std::move(scenario);
        return 0;
    } catch (const tools::ScenarioError& e) {
        check(e.what()[0] != '\0', "a rejection gives a reason");
        check(e.line > 0, "a rejection names a line");
        return e.line;
    }
}

}  // namespace scenario_detail

// A scenario is accepted with one step per line that is not blank or a comment,
// in time order; or rejected at such a line, when every line before it reads.
inline void checkScenarioInput(std::string_view data) {
    using namespace scenario_detail;
    const std::vector<std::string> lines = linesOf(data);
    std::vector<int> counted;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (!skipped(lines[i])) counted.push_back(static_cast<int>(i) + 1);

    tools::Scenario scenario;
    const int fault = parsedFaultLine(std::string(data), &scenario);
    if (fault == 0) {
        check(scenario.size() == counted.size(), "one step per counted line");
        sim::Micros previous = 0;
        for (std::size_t i = 0; i < scenario.size(); ++i) {
            check(scenario[i].line == counted[i], "each step carries its own line number");
            check(scenario[i].at >= previous, "steps are in time order");
            check(scenario[i].at <= 86'400'000'000, "steps lie within a day");
            previous = scenario[i].at;
            checkAction(scenario[i].action);
        }
        return;
    }
    check(fault <= static_cast<int>(lines.size()), "the faulty line exists");
    check(!skipped(lines[fault - 1]), "a blank or comment line is never at fault");
    tools::Scenario before;
    check(parsedFaultLine(joined(lines, fault - 1), &before) == 0, "the lines before the faulty one read");
}

}  // namespace qm::fuzz

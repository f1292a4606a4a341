#pragma once

#include <array>
#include <cstddef>
#include <string>

namespace qm::sim {

// Counts what the simulated desktop hands out and what comes back, so that a
// test can prove the program leaks nothing.
class Ledger {
public:
    enum Kind { event, eventSource, tap, runLoopSource, timer, window, axElement, displayLink, kindCount };

    void created(Kind kind) { ++created_[kind]; }
    void released(Kind kind) { ++released_[kind]; }
    std::size_t createdCount(Kind kind) const { return created_[kind]; }
    std::size_t live(Kind kind) const { return created_[kind] - released_[kind]; }
    // True when everything handed out has come back.
    bool balanced() const { return created_ == released_; }
    // One line per kind still out, for failure messages.
    std::string outstanding() const;

    static const char* name(Kind kind);

private:
    std::array<std::size_t, kindCount> created_{};
    std::array<std::size_t, kindCount> released_{};
};

// A member that records its owner's life in a ledger.
class Counted {
public:
    Counted(Ledger& ledger, Ledger::Kind kind) : ledger_(ledger), kind_(kind) { ledger_.created(kind_); }
    Counted(const Counted& other) : Counted(other.ledger_, other.kind_) {}
    Counted& operator=(const Counted&) { return *this; }
    ~Counted() { ledger_.released(kind_); }

private:
    Ledger& ledger_;
    Ledger::Kind kind_;
};

}  // namespace qm::sim

#pragma once

namespace qm {

// A visitor made of lambdas, one per alternative of a variant.
template <class... Handlers>
struct Overloaded : Handlers... {
    using Handlers::operator()...;
};
template <class... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

}  // namespace qm

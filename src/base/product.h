// The product's name as the user sees it: message box titles, the default source of the add-in's
// own run-time errors, and the wording of a feature that has not landed in this release.
#pragma once

namespace telvora {

inline constexpr const char* kAppTitle = "Telvora";

}  // namespace telvora

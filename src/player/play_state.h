// The texts of status panel 1 that mirror the media component's play state.
#pragma once
#include <optional>
#include <string>

namespace zarvio {

// The panel text for a play state, or nullopt for the states that leave the panel as it is.
std::optional<std::wstring> PlayStatePanelText(int state);

// The panel text shown instead when the media component is missing.
std::wstring PlayerUnavailablePanelText();

}  // namespace zarvio

#pragma once

// The one version text: shown by the About window and compared at login.
inline constexpr char kVersionText[] = "1.0.3";

#pragma once

// The program's name and version, as --version, the about box and the
// chat's answer to a version request give them. The version comes from the
// build (the project's version in CMakeLists.txt).
namespace Version {

inline constexpr auto programName = "Varnholt";
inline constexpr auto number = VARNHOLT_VERSION;

} // namespace Version

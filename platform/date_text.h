#pragma once
#include <cstdint>
#include <string>

// A file time (UTC, as FILETIME) as the local date in the user's short date format.
std::string ShortLocalDate(std::uint64_t fileTime);

// Reading files the code under test wrote.
#pragma once

#include <string>

// The whole file, or "(none)" when it cannot be opened.
std::string read_file(const std::string& path);

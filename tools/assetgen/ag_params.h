// Named look parameters read from the hand-edited tables in assets/params/
// ("key = value  # comment" per line). Generators ask for a value by name, so a
// person tweaking the look finds "grass.hue" or "shot.decay_ms" in one place.
// Depends on nothing but the standard library.
#pragma once

#include <map>
#include <string>

struct ag_params_t {
    std::map<std::string, float> values;
};

// Reads one table and adds its keys; returns 0 on success, -1 (logged) when the
// file can't be read or a line is malformed.
int ag_params_load(ag_params_t* params, const char* path);

// The value of `key`; a missing key is logged, counted as an error and reads 0.
float ag_param(const ag_params_t& params, const std::string& key);

// Number of missing keys asked for so far (any thread); the run fails when not 0.
int ag_params_missing();

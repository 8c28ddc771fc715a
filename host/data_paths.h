// Asset names and virtual data paths.
#pragma once

#include "runtime/string.h"

// Turns an asset name into a "zephyr://data/" path, leaving names that already
// carry a scheme, or start with "./" or "/", unchanged.
String kp_data_FixDataPath(const String& path);

// Maps "zephyr://data/", "zephyr://internal/" and "zephyr://external/" to
// the data folder (kp_platform_DataFolder, normally "./data/"), "./internal/"
// and "./external/"; another "zephyr:" path maps to the empty string (a file
// that cannot be opened); anything else is unchanged.
String kp_data_MapVirtualPath(const String& path);

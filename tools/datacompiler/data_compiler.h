#pragma once

// The data compiler's library: the locality compile, the city compile and
// what they share (field encoding and validation, prefix indexes, writing).
#include "changes_compiler.h"
#include "city_compiler.h"
#include "data_files.h"
#include "field_encoder.h"
#include "locality_compiler.h"

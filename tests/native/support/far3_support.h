// The FAR 3 helpers of far3_support.cpp that need no gtest, for the FAR 3 fuzzer as much as for
// the tests (far3_fixture.h declares them too, with the gtest fixture).
#pragma once

#include "far3_host.h"

#include <string>
#include <vector>

// The messages of the FAR 3 VelumoEng.lng (written from lang/ into VELUMO_LANG_DIR_FAR3), read
// once; empty when the file cannot be read.
const std::vector<far3host::Text>& Far3EnglishMessages();

// A number in the roaming store, where Velumo keeps its settings.
far3host::StoredSetting Far3Number(const far3host::Text& name, unsigned long long value);

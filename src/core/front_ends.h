// The front ends, as bits: for what only one of them has (a setting, a view mode).
#pragma once

enum FrontEnds : unsigned { kFar1 = 1u, kFar3 = 2u, kBothFars = kFar1 | kFar3 };

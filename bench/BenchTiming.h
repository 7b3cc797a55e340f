// Timing helpers shared by every benchmark: a millisecond clock and percentiles.
#pragma once

#include <vector>

// Milliseconds from the performance counter (fractions kept).
double NowMs();
// The value at this fraction (0 to 1) of the sorted values, 0 for none.
double Percentile(std::vector<double> values, double fraction);

// Printing figures as "name value unit" lines, and the clocks and order
// statistics the benchmark's sections share.
#pragma once

#include <string>
#include <vector>

// Prints one figure line; a value that is not a number prints as "n/a".
void BenchFigure(const std::string& name, double value, const char* unit);
// Prints a note line starting with "#", which readers of the figures skip.
void BenchNote(const std::string& text);

// The p-th percentile (0..100) by nearest rank; 0 for an empty sample.
double Percentile(std::vector<double> values, double p);
double Median(const std::vector<double>& values);

// Seconds on the monotonic clock, and CPU seconds of this thread and this process.
double WallSeconds();
double ThreadCpuSeconds();
double ProcessCpuSeconds();

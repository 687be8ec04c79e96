// Figures a test program counts while it runs (crash points, fault points,
// hostile cases), printed as "tally: WHAT: N" lines when the program ends, so
// a whole run's numbers can be quoted.
#ifndef CPUNINST_TESTS_SUPPORT_TALLY_H
#define CPUNINST_TESTS_SUPPORT_TALLY_H

#include <string>

namespace test_support {

void Tally(const std::string& what, long count);

}  // namespace test_support

#endif  // CPUNINST_TESTS_SUPPORT_TALLY_H

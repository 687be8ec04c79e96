// Test names made from the parameters' own names (their `name` member), for
// INSTANTIATE_TEST_SUITE_P: one parameter, or a Combine of two joined by '_'.
#ifndef CPUNINST_TESTS_SUPPORT_PARAM_NAME_H
#define CPUNINST_TESTS_SUPPORT_PARAM_NAME_H

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace test_support {

template <typename T>
std::string ParamName(const T& param) {
  return param.name;
}

template <typename A, typename B>
std::string ParamName(const std::tuple<A, B>& param) {
  return ParamName(std::get<0>(param)) + "_" + ParamName(std::get<1>(param));
}

struct NameOfParam {
  template <typename T>
  std::string operator()(const ::testing::TestParamInfo<T>& info) const {
    return ParamName(info.param);
  }
};

}  // namespace test_support

#endif  // CPUNINST_TESTS_SUPPORT_PARAM_NAME_H

// The temporary folder as a GoogleTest fixture: each test gets a new one,
// with Put, Get, Read, Exists and Snapshot relative to it.
#ifndef CPUNINST_TESTS_SUPPORT_FOLDER_FIXTURE_H
#define CPUNINST_TESTS_SUPPORT_FOLDER_FIXTURE_H

#include <gtest/gtest.h>

#include <string_view>

#include "folder.h"

namespace test_support {

class FolderTest : public ::testing::Test, public TempFolder {
 protected:
  explicit FolderTest(std::string_view inside = {}) : TempFolder(inside) {}
};

}  // namespace test_support

#endif  // CPUNINST_TESTS_SUPPORT_FOLDER_FIXTURE_H

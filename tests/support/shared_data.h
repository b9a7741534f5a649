// Where the tests find their data files. Public data (published mechanisms, linking files of an
// independent producer, reference values) is read in place from the shared data folder beside
// the checkout, named by the CMake cache variable PATHFLUX_SHARED_DATA, and never copied into the
// project. A clone without that folder still builds and tests: whatever needs it skips.
#pragma once

#include <string>

namespace test_support {

// The shared data folder, whether it is there, and a file in it.
const std::string& SharedDataFolder();
bool SharedDataFound();
std::string SharedData(const std::string& relative);

// Why a test that needs the shared data folder did not run.
std::string SharedDataMissing();

// The project's own data: the shipped sample under data/ and the expected results under
// tests/data/ of the source tree.
std::string ShippedData(const std::string& relative);
std::string TestData(const std::string& relative);

// The file of one role ("mechanism", "thermo", "transport") that a corpus folder's SOURCE.md
// names on its "Roles:" line; empty when it names none.
std::string CorpusRoleFile(const std::string& source, const std::string& role);

}  // namespace test_support

// In a GoogleTest body or a fixture's SetUp: skips the rest of the test when the shared data
// folder is absent; checks made before it still count. (In SetUpTestSuite it only ends the
// suite's set-up: the tests still run.)
#define PATHFLUX_REQUIRE_SHARED_DATA() \
  if (!::test_support::SharedDataFound()) GTEST_SKIP() << ::test_support::SharedDataMissing()

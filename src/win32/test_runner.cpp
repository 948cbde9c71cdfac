#include "win32/test_runner.h"

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <string>

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "host/host_error.h"

namespace tarnwell::win32::testing {

namespace {
int g_failures_in_case = 0;
}

std::vector<Case>& Cases() {
  static std::vector<Case> cases;
  return cases;
}

void Fail(const char* file, int line, const std::string& what) {
  ++g_failures_in_case;
  std::printf("  %s:%d: %s\n", file, line, what.c_str());
}

int RunAll(const std::vector<std::string>& only) {
  int passed = 0, failed = 0;
  for (const std::string& name : only) {
    bool known = false;
    for (auto& c : Cases()) known = known || c.name == name;
    if (!known) {
      std::printf("No case named %s\n", name.c_str());
      return 1;
    }
  }
  for (auto& c : Cases()) {
    if (!only.empty() && std::find(only.begin(), only.end(), c.name) == only.end()) continue;
    g_failures_in_case = 0;
    if (std::getenv("TARNWELL_TEST_VERBOSE")) std::printf("RUN %s\n", c.name.c_str());
    std::fflush(stdout);
    try {
      c.body();
    } catch (const host::HostError& e) {
      Fail(__FILE__, __LINE__, "HostError " + std::to_string(e.number()) + ": " + e.description());
    } catch (const std::exception& e) {
      Fail(__FILE__, __LINE__, std::string("exception: ") + e.what());
    }
    if (g_failures_in_case == 0) {
      ++passed;
    } else {
      ++failed;
      std::printf("FAILED %s\n", c.name.c_str());
    }
    std::fflush(stdout);
  }
  std::printf("%d passed, %d failed\n", passed, failed);
  std::fflush(stdout);
  // Wine hands back only 8 bits of an exit code; 1 survives that.
  return failed == 0 ? 0 : 1;
}

}  // namespace tarnwell::win32::testing

// Arguments, when given, name the only cases to run.
int main(int argc, char** argv) {
  // The add-in's message boxes go to a file: a real one would wait forever
  // for a user who is not there.
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  std::wstring log = std::wstring(temp) + L"tarnwell-test-messages.txt";
  SetEnvironmentVariableW(L"TARNWELL_TEST_MESSAGE_LOG", log.c_str());
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int rc = tarnwell::win32::testing::RunAll(std::vector<std::string>(argv + 1, argv + argc));
  CoUninitialize();
  return rc;
}

#pragma once
// A small test runner for the Windows test program (GoogleTest has no
// Windows build among the compilers' packages). Prints each failure and the
// closing line "N passed, N failed"; the exit code is non-zero on failure.

#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace tarnwell::win32::testing {

struct Case {
  std::string name;
  std::function<void()> body;
};
std::vector<Case>& Cases();
struct Register {
  Register(const char* name, std::function<void()> body) { Cases().push_back({name, std::move(body)}); }
};
// Records a failed check of the running case.
void Fail(const char* file, int line, const std::string& what);
// Every case, or only those named in `only`; an unknown name fails the run.
int RunAll(const std::vector<std::string>& only);

}  // namespace tarnwell::win32::testing

#define TW_CONCAT2(a, b) a##b
#define TW_CONCAT(a, b) TW_CONCAT2(a, b)
#define TW_TEST(name)                                                                        \
  static void name();                                                                        \
  static ::tarnwell::win32::testing::Register TW_CONCAT(register_, name)(#name, &name); \
  static void name()
#define TW_CHECK(cond)                                                               \
  do {                                                                               \
    if (!(cond)) ::tarnwell::win32::testing::Fail(__FILE__, __LINE__, #cond);        \
  } while (0)
#define TW_CHECK_EQ(a, b)                                                                        \
  do {                                                                                           \
    auto tw_a = (a);                                                                             \
    auto tw_b = (b);                                                                             \
    if (!(tw_a == tw_b)) {                                                                       \
      std::ostringstream tw_s;                                                                   \
      tw_s << #a << " == " << #b << " (" << tw_a << " vs " << tw_b << ")";                       \
      ::tarnwell::win32::testing::Fail(__FILE__, __LINE__, tw_s.str());                          \
    }                                                                                            \
  } while (0)
// The statement must raise a HostError with this number.
#define TW_CHECK_RAISES(statement, expected)                                                           \
  do {                                                                                               \
    bool tw_raised = false;                                                                          \
    try {                                                                                            \
      statement;                                                                                     \
    } catch (const ::tarnwell::host::HostError& tw_e) {                                              \
      tw_raised = true;                                                                              \
      if (tw_e.number() != (expected))                                                                 \
        ::tarnwell::win32::testing::Fail(__FILE__, __LINE__,                                         \
                                         #statement " raised " + std::to_string(tw_e.number()));    \
    }                                                                                                \
    if (!tw_raised) ::tarnwell::win32::testing::Fail(__FILE__, __LINE__, #statement " raised nothing"); \
  } while (0)

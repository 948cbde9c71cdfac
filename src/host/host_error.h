#pragma once
// The one exception type of the core: Word's error number and its description.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace tarnwell::host {

class HostError : public std::runtime_error {
 public:
  HostError(int32_t number, const std::string& description)
      : std::runtime_error(description), number_(number) {}
  int32_t number() const { return number_; }
  std::string description() const { return what(); }

 private:
  int32_t number_;
};

// Word's and VB's error numbers that the system tests. Code compares these,
// never message texts.
inline constexpr int32_t kErrOutOfMemory = 7;
inline constexpr int32_t kErrTypeMismatch = 13;
inline constexpr int32_t kErrBadFileName = 52;
inline constexpr int32_t kErrFileNotFound = 53;
inline constexpr int32_t kErrDiskFull = 61;
inline constexpr int32_t kErrPermissionDenied = 70;
inline constexpr int32_t kErrPathFileAccess = 75;
inline constexpr int32_t kErrPathNotFound = 76;
inline constexpr int32_t kErrObjectNotSet = 91;
inline constexpr int32_t kErrInvalidProcedureCall = 5;
inline constexpr int32_t kErrSubscriptOutOfRange = 9;
inline constexpr int32_t kErrNoSuchMember = 438;
inline constexpr int32_t kErrArgumentNotOptional = 449;
inline constexpr int32_t kErrWordCannotOpenFile = 5121;  // not a document Word can read
inline constexpr int32_t kErrNameOfOpenDocument = 5153;  // SaveAs under another open document's file
inline constexpr int32_t kErrStyleNameInUse = 5173;
inline constexpr int32_t kErrNoSuchStyle = 5834;
inline constexpr int32_t kErrListTemplateNameRefused = 5890;
inline constexpr int32_t kErrNoSuchCollectionMember = 5941;
inline constexpr int32_t kErrCustomizationSave = 5986;
inline constexpr int32_t kErrWordBuffersFull = 4198;
inline constexpr int32_t kErrCommandFailed = 4605;
inline constexpr int32_t kErrCannotSaveFile = 5096;  // the file could not be written
inline constexpr int32_t kErrUnspecified = -2147467259;         // E_FAIL
inline constexpr int32_t kErrWordAutomation = -2137226899;       // 0x809C816D
inline constexpr int32_t kErrServerFault = -2147417851;          // RPC_E_SERVERFAULT
inline constexpr int32_t kErrNumberingCollection = -2147220505;  // raised by the copy run itself

}  // namespace tarnwell::host

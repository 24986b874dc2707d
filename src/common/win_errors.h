#pragma once

// The Windows error codes the launcher and the checker compare answers with or answer
// themselves, each under the name of its ERROR_ constant.

#include <cstdint>

constexpr std::uint32_t kErrorFileNotFound = 2;              // ERROR_FILE_NOT_FOUND
constexpr std::uint32_t kErrorAccessDenied = 5;              // ERROR_ACCESS_DENIED
constexpr std::uint32_t kErrorInvalidData = 13;              // ERROR_INVALID_DATA
constexpr std::uint32_t kErrorNotReady = 21;                 // ERROR_NOT_READY
constexpr std::uint32_t kErrorGenFailure = 31;               // ERROR_GEN_FAILURE
constexpr std::uint32_t kErrorFileExists = 80;               // ERROR_FILE_EXISTS
constexpr std::uint32_t kErrorInsufficientBuffer = 122;      // ERROR_INSUFFICIENT_BUFFER
constexpr std::uint32_t kErrorModNotFound = 126;             // ERROR_MOD_NOT_FOUND
constexpr std::uint32_t kErrorProcNotFound = 127;            // ERROR_PROC_NOT_FOUND
constexpr std::uint32_t kErrorAlreadyExists = 183;           // ERROR_ALREADY_EXISTS
constexpr std::uint32_t kErrorMoreData = 234;                // ERROR_MORE_DATA
constexpr std::uint32_t kErrorDllInitFailed = 1114;          // ERROR_DLL_INIT_FAILED
constexpr std::uint32_t kErrorShutdownInProgress = 1115;     // ERROR_SHUTDOWN_IN_PROGRESS
constexpr std::uint32_t kErrorShutdownIsScheduled = 1190;    // ERROR_SHUTDOWN_IS_SCHEDULED
constexpr std::uint32_t kErrorMachineLocked = 1271;          // ERROR_MACHINE_LOCKED
constexpr std::uint32_t kErrorUnknownProduct = 1605;         // ERROR_UNKNOWN_PRODUCT
constexpr std::uint32_t kErrorUnknownProperty = 1608;        // ERROR_UNKNOWN_PROPERTY
constexpr std::uint32_t kErrorInstallPackageVersion = 1613;  // ERROR_INSTALL_PACKAGE_VERSION
constexpr std::uint32_t kErrorPlatformUnsupported = 1633;    // ERROR_INSTALL_PLATFORM_UNSUPPORTED

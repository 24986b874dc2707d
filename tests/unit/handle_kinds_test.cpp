#include <cstdint>
#include <type_traits>
#include <utility>

#include "system/log_file_api.h"
#include "system/system.h"

// Each kind of handle goes only to the functions made for it: a search handle given to the
// process-handle close, or a log file given to FindClose, does not compile. Checked when the
// unit tests are built.
namespace {

template <typename Handle, typename = void>
struct ClosedByCloseHandle : std::false_type {};
template <typename Handle>
struct ClosedByCloseHandle<Handle, std::void_t<decltype(std::declval<PlatformApi&>().CloseSysHandle(
                                       std::declval<Handle>()))>> : std::true_type {};

template <typename Handle, typename = void>
struct ClosedByFindClose : std::false_type {};
template <typename Handle>
struct ClosedByFindClose<
    Handle, std::void_t<decltype(std::declval<FileApi&>().CloseFind(std::declval<Handle>()))>>
    : std::true_type {};

template <typename Handle, typename = void>
struct ClosedAsLogFile : std::false_type {};
template <typename Handle>
struct ClosedAsLogFile<
    Handle, std::void_t<decltype(std::declval<LogFileApi&>().CloseFile(std::declval<Handle>()))>>
    : std::true_type {};

template <typename Handle, typename = void>
struct WaitedFor : std::false_type {};
template <typename Handle>
struct WaitedFor<Handle, std::void_t<decltype(std::declval<ProcessApi&>().WaitForObject(
                             std::declval<Handle>(), kInfinite))>> : std::true_type {};

static_assert(ClosedByCloseHandle<ProcessHandle>::value);
static_assert(ClosedByCloseHandle<ThreadHandle>::value);
static_assert(ClosedByCloseHandle<TokenHandle>::value);
static_assert(!ClosedByCloseHandle<SearchHandle>::value);
static_assert(!ClosedByCloseHandle<FileHandle>::value);
static_assert(!ClosedByCloseHandle<CertStoreHandle>::value);
static_assert(!ClosedByCloseHandle<std::uintptr_t>::value);

static_assert(ClosedByFindClose<SearchHandle>::value);
static_assert(!ClosedByFindClose<ProcessHandle>::value);
static_assert(!ClosedByFindClose<FileHandle>::value);
static_assert(!ClosedByFindClose<std::uintptr_t>::value);

static_assert(ClosedAsLogFile<FileHandle>::value);
static_assert(!ClosedAsLogFile<SearchHandle>::value);
static_assert(!ClosedAsLogFile<ThreadHandle>::value);

// An installer handle is no integer either: a count or an error code given as one does not
// compile.
static_assert(std::is_enum_v<MsiHandle>);

static_assert(WaitedFor<ProcessHandle>::value);
static_assert(!WaitedFor<ThreadHandle>::value);
static_assert(!WaitedFor<TokenHandle>::value);

}  // namespace

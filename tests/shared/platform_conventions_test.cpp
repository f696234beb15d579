// How the platform reports results through the thread's last-error code, recorded the way Wine's
// own tests do it: a sentinel before each call, then the result and the exact code the call left.
//
// The same file runs under Wine against the real SetupAPI, registry and kernel, and on the host
// against the simulator, so the simulator is held to what the platform really does. Only the Win32
// names from platform.h are used here; PrepareConventionMachine() is the one per-build piece.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "convention_machine.h"
#include "platform.h"
#include "unique_handle.h"

namespace {

constexpr DWORD kSentinel = 0xdeadbeef;

// Windows clears the code on every successful SetupAPI call; Wine 8 leaves it as it was. The kit's
// logic must work either way, and the simulator follows Windows.
DWORD CodeAfterSetupApiSuccess() {
  return PlatformIsWine() ? kSentinel : DWORD{ERROR_SUCCESS};
}

class PlatformConventions : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(PrepareConventionMachine()); }

  // The present devices of `deviceClass`, and the element at `index` of them.
  static HDEVINFO Present(const GUID& deviceClass) {
    return SetupDiGetClassDevsA(&deviceClass, nullptr, nullptr, DIGCF_PRESENT);
  }
  static SP_DEVINFO_DATA Element(HDEVINFO set, DWORD index) {
    SP_DEVINFO_DATA element = {};
    element.cbSize = sizeof element;
    EXPECT_TRUE(SetupDiEnumDeviceInfo(set, index, &element)) << "no element " << index;
    return element;
  }
};

TEST_F(PlatformConventions, GetClassDevsSucceedsWithoutTouchingTheCode) {
  SetLastError(kSentinel);
  DeviceInfoSet ports(Present(kPortsClassGuid));
  const DWORD code = GetLastError();
  ASSERT_TRUE(ports.valid());
  EXPECT_EQ(code, CodeAfterSetupApiSuccess());
}

TEST_F(PlatformConventions, GetClassDevsWithoutClassNeedsAllClasses) {
  SetLastError(kSentinel);
  const HDEVINFO set = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT);
  const DWORD code = GetLastError();
  EXPECT_EQ(set, INVALID_HANDLE_VALUE);
  EXPECT_EQ(code, DWORD{ERROR_INVALID_PARAMETER});
}

TEST_F(PlatformConventions, EnumeratesPresentPortsInCreationOrder) {
  DeviceInfoSet ports(Present(kPortsClassGuid));
  ASSERT_TRUE(ports.valid());
  for (int i = 0; i < kMachinePortCount; ++i) {
    SCOPED_TRACE(i);
    SP_DEVINFO_DATA element = {};
    element.cbSize = sizeof element;
    SetLastError(kSentinel);
    const BOOL found = SetupDiEnumDeviceInfo(ports.get(), static_cast<DWORD>(i), &element);
    const DWORD code = GetLastError();
    ASSERT_TRUE(found);
    EXPECT_EQ(code, CodeAfterSetupApiSuccess());

    DeviceRegKey key(
        SetupDiOpenDevRegKey(ports.get(), &element, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ));
    ASSERT_TRUE(key.valid());
    char name[64] = {};
    DWORD size = sizeof name;
    DWORD type = 0;
    const LONG status = RegQueryValueExA(key.get(), "PortName", nullptr, &type,
                                         reinterpret_cast<BYTE*>(name), &size);
    if (kMachinePortNames[i] == nullptr) {
      EXPECT_EQ(status, LONG{ERROR_FILE_NOT_FOUND});
    } else {
      ASSERT_EQ(status, LONG{ERROR_SUCCESS});
      EXPECT_EQ(type, DWORD{REG_SZ});
      EXPECT_EQ(size, std::strlen(kMachinePortNames[i]) + 1);
      EXPECT_STREQ(name, kMachinePortNames[i]);
    }
  }
}

TEST_F(PlatformConventions, EnumeratingPastTheEndIsNoMoreItems) {
  DeviceInfoSet ports(Present(kPortsClassGuid));
  ASSERT_TRUE(ports.valid());
  for (DWORD index : {static_cast<DWORD>(kMachinePortCount), DWORD{1000}}) {
    SCOPED_TRACE(index);
    SP_DEVINFO_DATA element = {};
    element.cbSize = sizeof element;
    SetLastError(kSentinel);
    const BOOL found = SetupDiEnumDeviceInfo(ports.get(), index, &element);
    const DWORD code = GetLastError();
    EXPECT_FALSE(found);
    EXPECT_EQ(code, DWORD{ERROR_NO_MORE_ITEMS});
  }
}

TEST_F(PlatformConventions, EnumeratingIntoAWronglySizedElementIsInvalidUserBuffer) {
  DeviceInfoSet ports(Present(kPortsClassGuid));
  ASSERT_TRUE(ports.valid());
  const DWORD right = sizeof(SP_DEVINFO_DATA);
  // The size is checked before the index: past the end, a wrong size still is what is reported.
  for (DWORD index : {DWORD{0}, static_cast<DWORD>(kMachinePortCount)}) {
    for (DWORD size : {right - 1, DWORD{0}, right + 4}) {
      SCOPED_TRACE(testing::Message() << "index " << index << ", cbSize " << size);
      SP_DEVINFO_DATA element = {};
      element.cbSize = size;
      SetLastError(kSentinel);
      const BOOL found = SetupDiEnumDeviceInfo(ports.get(), index, &element);
      const DWORD code = GetLastError();
      EXPECT_FALSE(found);
      EXPECT_EQ(code, DWORD{ERROR_INVALID_USER_BUFFER});
    }
  }
}

TEST_F(PlatformConventions, HardwareIdsAskForTheirSizeWhenGivenNoBuffer) {
  DeviceInfoSet devices(Present(kMachineTestClass));
  ASSERT_TRUE(devices.valid());
  SP_DEVINFO_DATA element = Element(devices.get(), 0);

  DWORD type = 0;
  DWORD required = 0;
  SetLastError(kSentinel);
  BOOL read = SetupDiGetDeviceRegistryPropertyA(devices.get(), &element, SPDRP_HARDWAREID, &type,
                                                nullptr, 0, &required);
  DWORD code = GetLastError();
  EXPECT_FALSE(read);
  EXPECT_EQ(code, DWORD{ERROR_INSUFFICIENT_BUFFER});
  EXPECT_EQ(required, DWORD{sizeof kMachineTestHardwareIds});
  EXPECT_EQ(type, DWORD{REG_MULTI_SZ});

  // One byte short of the list is still too small, and says so the same way.
  BYTE buffer[sizeof kMachineTestHardwareIds + 8];
  required = 0;
  SetLastError(kSentinel);
  read = SetupDiGetDeviceRegistryPropertyA(devices.get(), &element, SPDRP_HARDWAREID, &type, buffer,
                                           sizeof kMachineTestHardwareIds - 1, &required);
  code = GetLastError();
  EXPECT_FALSE(read);
  EXPECT_EQ(code, DWORD{ERROR_INSUFFICIENT_BUFFER});
  EXPECT_EQ(required, DWORD{sizeof kMachineTestHardwareIds});

  // Given room, it reads the whole multi-string.
  std::memset(buffer, 'x', sizeof buffer);
  required = 0;
  type = 0;
  SetLastError(kSentinel);
  read = SetupDiGetDeviceRegistryPropertyA(devices.get(), &element, SPDRP_HARDWAREID, &type, buffer,
                                           sizeof buffer, &required);
  code = GetLastError();
  ASSERT_TRUE(read);
  EXPECT_EQ(code, CodeAfterSetupApiSuccess());
  EXPECT_EQ(type, DWORD{REG_MULTI_SZ});
  EXPECT_EQ(required, DWORD{sizeof kMachineTestHardwareIds});
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer), sizeof kMachineTestHardwareIds),
            std::string(kMachineTestHardwareIds, sizeof kMachineTestHardwareIds));
  EXPECT_EQ(buffer[sizeof kMachineTestHardwareIds], 'x') << "written past the list";
}

TEST_F(PlatformConventions, HardwareIdsOfADeviceWithoutAListAreInvalidData) {
  DeviceInfoSet ports(Present(kPortsClassGuid));
  ASSERT_TRUE(ports.valid());
  SP_DEVINFO_DATA element = Element(ports.get(), 0);

  DWORD required = 0;
  SetLastError(kSentinel);
  BOOL read = SetupDiGetDeviceRegistryPropertyA(ports.get(), &element, SPDRP_HARDWAREID, nullptr,
                                                nullptr, 0, &required);
  DWORD code = GetLastError();
  EXPECT_FALSE(read);
  EXPECT_EQ(code, DWORD{ERROR_INVALID_DATA});

  BYTE buffer[64];
  SetLastError(kSentinel);
  read = SetupDiGetDeviceRegistryPropertyA(ports.get(), &element, SPDRP_HARDWAREID, nullptr, buffer,
                                           sizeof buffer, &required);
  code = GetLastError();
  EXPECT_FALSE(read);
  EXPECT_EQ(code, DWORD{ERROR_INVALID_DATA});
}

TEST_F(PlatformConventions, DriverKeyOfADeviceWithoutOneDoesNotExist) {
  for (const GUID* deviceClass : {&kPortsClassGuid, &kMachineTestClass}) {
    DeviceInfoSet devices(Present(*deviceClass));
    ASSERT_TRUE(devices.valid());
    SP_DEVINFO_DATA element = Element(devices.get(), 0);
    SetLastError(kSentinel);
    const HKEY key =
        SetupDiOpenDevRegKey(devices.get(), &element, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ);
    const DWORD code = GetLastError();
    EXPECT_EQ(key, INVALID_HANDLE_VALUE);
    EXPECT_EQ(code, DWORD{ERROR_KEY_DOES_NOT_EXIST});
  }
}

TEST_F(PlatformConventions, OpeningADeviceKeySetsZero) {
  DeviceInfoSet ports(Present(kPortsClassGuid));
  ASSERT_TRUE(ports.valid());
  SP_DEVINFO_DATA element = Element(ports.get(), 0);
  SetLastError(kSentinel);
  DeviceRegKey key(
      SetupDiOpenDevRegKey(ports.get(), &element, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ));
  const DWORD code = GetLastError();
  ASSERT_TRUE(key.valid());
  EXPECT_EQ(code, DWORD{ERROR_SUCCESS});
}

TEST_F(PlatformConventions, RegistryCallsReturnTheirCodeAndLeaveTheThreadsAlone) {
  DeviceInfoSet ports(Present(kPortsClassGuid));
  ASSERT_TRUE(ports.valid());
  SP_DEVINFO_DATA element = Element(ports.get(), 0);
  const HKEY key =
      SetupDiOpenDevRegKey(ports.get(), &element, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
  ASSERT_NE(key, INVALID_HANDLE_VALUE);

  char value[64];
  DWORD size = sizeof value;
  SetLastError(kSentinel);
  LONG status =
      RegQueryValueExA(key, "NoSuchValue", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
  DWORD code = GetLastError();
  EXPECT_EQ(status, LONG{ERROR_FILE_NOT_FOUND});
  EXPECT_EQ(code, kSentinel);

  size = sizeof value;
  SetLastError(kSentinel);
  status =
      RegQueryValueExA(key, "PortName", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
  code = GetLastError();
  EXPECT_EQ(status, LONG{ERROR_SUCCESS});
  EXPECT_EQ(code, kSentinel);

  SetLastError(kSentinel);
  status = RegCloseKey(key);
  code = GetLastError();
  EXPECT_EQ(status, LONG{ERROR_SUCCESS});
  EXPECT_EQ(code, kSentinel);
}

TEST_F(PlatformConventions, DestroyingADeviceSetSetsZero) {
  const HDEVINFO ports = Present(kPortsClassGuid);
  ASSERT_NE(ports, INVALID_HANDLE_VALUE);
  SetLastError(kSentinel);
  BOOL destroyed = SetupDiDestroyDeviceInfoList(ports);
  DWORD code = GetLastError();
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(code, DWORD{ERROR_SUCCESS});

  SetLastError(kSentinel);
  destroyed = SetupDiDestroyDeviceInfoList(INVALID_HANDLE_VALUE);
  code = GetLastError();
  EXPECT_FALSE(destroyed);
  EXPECT_EQ(code, DWORD{ERROR_INVALID_HANDLE});
}

// The flags and language the kit's failure reports use: the system's table, an allocated buffer,
// the neutral language.
constexpr DWORD kReportFlags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER;
constexpr DWORD kReportLanguage = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);

// A second open must be shared by every open before it, and must itself share what they asked
// for: EntryMaker's lock and its hold on the phonebook rest on both halves of the rule.
TEST_F(PlatformConventions, ASecondOpenKeepsTheSharingOfBoth) {
  const char* name = ScratchFileName();
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  const auto open = [name](DWORD access, DWORD share) {
    SetLastError(kSentinel);
    File second(
        CreateFileA(name, access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return second ? DWORD{ERROR_SUCCESS} : GetLastError();
  };
  {
    File first(CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(first) << "error " << GetLastError();
    EXPECT_EQ(open(GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE), DWORD{ERROR_SUCCESS});
    // The second does not share the first's writing.
    EXPECT_EQ(open(GENERIC_READ, FILE_SHARE_READ), DWORD{ERROR_SHARING_VIOLATION});
    // The first does not share writing, nor deleting.
    EXPECT_EQ(open(GENERIC_WRITE, kShareAll), DWORD{ERROR_SHARING_VIOLATION});
    EXPECT_EQ(open(DELETE, kShareAll), DWORD{ERROR_SHARING_VIOLATION});
    EXPECT_FALSE(DeleteFileA(name));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_SHARING_VIOLATION});
  }
  EXPECT_EQ(open(GENERIC_READ | GENERIC_WRITE, 0), DWORD{ERROR_SUCCESS});
  EXPECT_TRUE(DeleteFileA(name));
}

TEST(PlatformConventionsText, FormatMessageGivesTheSystemsTexts) {
  ASSERT_EQ(kReportFlags, DWORD{0x1100});
  ASSERT_EQ(kReportLanguage, DWORD{0x0400});
  // Windows' English texts and Wine's shorter ones; both end in the system's own line break.
  const struct {
    DWORD code;
    const char* windows;
    const char* wine;
  } cases[] = {
      {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified.\r\n",
       "File not found.\r\n"},
      {ERROR_ACCESS_DENIED, "Access is denied.\r\n", "Access denied.\r\n"},
      {ERROR_INVALID_HANDLE, "The handle is invalid.\r\n", "Invalid handle.\r\n"},
      {ERROR_INVALID_DATA, "The data is invalid.\r\n", "Invalid data.\r\n"},
      {ERROR_INVALID_PARAMETER, "The parameter is incorrect.\r\n", "Invalid parameter.\r\n"},
      {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small.\r\n",
       "Insufficient buffer.\r\n"},
      {ERROR_NO_MORE_ITEMS, "No more data is available.\r\n", "No more data available.\r\n"},
      {ERROR_INVALID_USER_BUFFER,
       "The supplied user buffer is not valid for the requested operation.\r\n",
       "Invalid user buffer.\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    const char* expected = PlatformIsWine() ? c.wine : c.windows;
    char* text = nullptr;
    SetLastError(kSentinel);
    const DWORD length = FormatMessageA(kReportFlags, nullptr, c.code, kReportLanguage,
                                        reinterpret_cast<LPSTR>(&text), 0, nullptr);
    const DWORD code = GetLastError();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(length, std::strlen(expected));
    EXPECT_STREQ(text, expected);
    EXPECT_EQ(code, kSentinel);
    LocalFree(text);
  }
}

TEST(PlatformConventionsText, FormatMessageHasNoTextForSetupApiCodes) {
  for (DWORD setupCode : {DWORD{ERROR_KEY_DOES_NOT_EXIST}, DWORD{ERROR_IN_WOW64}}) {
    SCOPED_TRACE(testing::Message() << std::hex << setupCode);
    char* text = nullptr;
    SetLastError(kSentinel);
    const DWORD length = FormatMessageA(kReportFlags, nullptr, setupCode, kReportLanguage,
                                        reinterpret_cast<LPSTR>(&text), 0, nullptr);
    const DWORD code = GetLastError();
    EXPECT_EQ(length, DWORD{0});
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(code, DWORD{ERROR_MR_MID_NOT_FOUND});
    if (text != nullptr) LocalFree(text);
  }
}

}  // namespace

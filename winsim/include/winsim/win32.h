// The Win32 subset the kit calls, declared for the host with Windows' own names, widths, values and
// structure layouts, so that the kit's portable code compiles unchanged against the simulator.
// Integer widths are those of Windows (DWORD and LONG are 32 bits even on a 64-bit host);
// pointer-sized types follow the host's pointer size, so layouts match the 64-bit Windows ABI on a
// 64-bit host.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

#define WINAPI
#define CALLBACK

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t UINT;
typedef int BOOL;
typedef char CHAR;
typedef uintptr_t ULONG_PTR;
typedef intptr_t LONG_PTR;
typedef ULONG_PTR DWORD_PTR;
typedef ULONG_PTR SIZE_T;
typedef DWORD REGSAM;
typedef UINT DI_FUNCTION;

typedef void* PVOID;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef char* LPSTR;
typedef char* PSTR;
typedef const char* LPCSTR;
typedef const char* PCSTR;
typedef BYTE* PBYTE;
typedef BYTE* LPBYTE;
typedef DWORD* PDWORD;
typedef DWORD* LPDWORD;
typedef BOOL* PBOOL;

typedef void* HANDLE;
typedef HANDLE HLOCAL;
typedef PVOID HDEVINFO;
typedef PVOID HINF;
typedef struct HWND__* HWND;
typedef struct HKEY__* HKEY;
typedef struct HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
struct SECURITY_ATTRIBUTES;
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;
struct OVERLAPPED;
typedef OVERLAPPED* LPOVERLAPPED;
typedef PVOID PSECURITY_DESCRIPTOR;
typedef DWORD SECURITY_INFORMATION;
typedef HANDLE* PHANDLE;
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))
typedef intptr_t(WINAPI* FARPROC)();

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
typedef GUID* LPGUID;
inline bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.Data4[i] != b.Data4[i]) return false;
  return true;
}
inline bool operator!=(const GUID& a, const GUID& b) {
  return !(a == b);
}

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[MAX_PATH];
  CHAR cAlternateFileName[14];
};
typedef WIN32_FIND_DATAA* LPWIN32_FIND_DATAA;

struct BY_HANDLE_FILE_INFORMATION {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD dwVolumeSerialNumber;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD nNumberOfLinks;
  DWORD nFileIndexHigh;
  DWORD nFileIndexLow;
};
typedef BY_HANDLE_FILE_INFORMATION* LPBY_HANDLE_FILE_INFORMATION;
static_assert(sizeof(WIN32_FIND_DATAA) == 320, "WIN32_FIND_DATAA has Windows' size");

struct SP_DEVINFO_DATA {
  DWORD cbSize;
  GUID ClassGuid;
  DWORD DevInst;
  ULONG_PTR Reserved;
};
typedef SP_DEVINFO_DATA* PSP_DEVINFO_DATA;
static_assert(sizeof(SP_DEVINFO_DATA) == (sizeof(void*) == 8 ? 32 : 28),
              "SP_DEVINFO_DATA has Windows' size for this pointer width");

// Only the fields the kit reads; Windows' A version is 4 + 4 + 4 + 5 pointers + 4 + 260 bytes.
struct SP_DEVINSTALL_PARAMS_A {
  DWORD cbSize;
  DWORD Flags;
  DWORD FlagsEx;
  PVOID hwndParent;
  PVOID InstallMsgHandler;
  PVOID InstallMsgHandlerContext;
  PVOID FileQueue;
  ULONG_PTR ClassInstallReserved;
  DWORD Reserved;
  CHAR DriverPath[260];
};
#define DI_NEEDRESTART 0x00000080
#define DI_NEEDREBOOT 0x00000100
#define SUOI_FORCEDELETE 0x00000001

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
};
typedef OSVERSIONINFOA* LPOSVERSIONINFOA;
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA has Windows' size");
#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2

// Remote access: the entry record in the layout of version 4.0, the one `dwSize` 1768 selects.
struct RASIPADDR {
  BYTE a, b, c, d;
};
struct RASENTRYA {
  DWORD dwSize;
  DWORD dwfOptions;
  DWORD dwCountryID;
  DWORD dwCountryCode;
  CHAR szAreaCode[11];
  CHAR szLocalPhoneNumber[129];
  DWORD dwAlternateOffset;
  RASIPADDR ipaddr;
  RASIPADDR ipaddrDns;
  RASIPADDR ipaddrDnsAlt;
  RASIPADDR ipaddrWins;
  RASIPADDR ipaddrWinsAlt;
  DWORD dwFrameSize;
  DWORD dwfNetProtocols;
  DWORD dwFramingProtocol;
  CHAR szScript[MAX_PATH];
  CHAR szAutodialDll[MAX_PATH];
  CHAR szAutodialFunc[MAX_PATH];
  CHAR szDeviceType[17];
  CHAR szDeviceName[129];
  CHAR szX25PadType[33];
  CHAR szX25Address[201];
  CHAR szX25Facilities[201];
  CHAR szX25UserData[201];
  DWORD dwChannels;
  DWORD dwReserved1;
  DWORD dwReserved2;
};
typedef RASENTRYA* LPRASENTRYA;
static_assert(sizeof(RASENTRYA) == 1768, "RASENTRYA has the size of its version-4.0 layout");
#define RASEO_SpecificNameServers 0x00000004
#define RASEO_RemoteDefaultGateway 0x00000010
#define RASEO_DisableLcpExtensions 0x00000020
#define RASNP_Ip 0x00000004
#define RASFP_Ppp 0x00000001
#define ERROR_CANNOT_OPEN_PHONEBOOK 621L
#define ERROR_INVALID_SIZE 632L

typedef DWORD(CALLBACK* PSP_DETSIG_CMPPROC)(HDEVINFO, PSP_DEVINFO_DATA, PSP_DEVINFO_DATA, PVOID);

// Error codes.
#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_SHARING_VIOLATION 32L
#define ERROR_HANDLE_DISK_FULL 39L
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_FILE_EXISTS 80L
#define ERROR_WRITE_FAULT 29L
#define ERROR_READ_FAULT 30L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_INVALID_DATA 13L
#define ERROR_OUTOFMEMORY 14L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_BUFFER_OVERFLOW 111L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_INVALID_NAME 123L
#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_PROC_NOT_FOUND 127L
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_MR_MID_NOT_FOUND 317L
#define ERROR_RESOURCE_DATA_NOT_FOUND 1812L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L
#define ERROR_NOACCESS 998L
#define ERROR_INVALID_FLAGS 1004L
#define ERROR_KEY_DELETED 1018L
#define ERROR_INVALID_USER_BUFFER 1784L
#define ERROR_NOT_READY 21L
#define ERROR_INVALID_OWNER 1307L
#define ERROR_INVALID_SECURITY_DESCR 1338L
#define ERROR_INVALID_SID 1337L
#define ERROR_DIRECTORY 267L
#define ERROR_DIR_NOT_EMPTY 145L
#define ERROR_UNABLE_TO_REMOVE_REPLACED 1175L
#define ERROR_UNABLE_TO_MOVE_REPLACEMENT 1176L
#define ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 1177L
#define APPLICATION_ERROR_MASK 0x20000000
#define ERROR_SEVERITY_ERROR 0xC0000000
#define ERROR_CLASS_MISMATCH (APPLICATION_ERROR_MASK | ERROR_SEVERITY_ERROR | 0x201)
#define ERROR_KEY_DOES_NOT_EXIST (APPLICATION_ERROR_MASK | ERROR_SEVERITY_ERROR | 0x204)
#define ERROR_DEVINST_ALREADY_EXISTS (APPLICATION_ERROR_MASK | ERROR_SEVERITY_ERROR | 0x207)
#define ERROR_INVALID_CLASS (APPLICATION_ERROR_MASK | ERROR_SEVERITY_ERROR | 0x206)
#define ERROR_INVALID_REG_PROPERTY (APPLICATION_ERROR_MASK | ERROR_SEVERITY_ERROR | 0x209)
#define ERROR_NO_SUCH_DEVINST (APPLICATION_ERROR_MASK | ERROR_SEVERITY_ERROR | 0x20B)
#define ERROR_DI_DO_DEFAULT (APPLICATION_ERROR_MASK | ERROR_SEVERITY_ERROR | 0x20E)
#define ERROR_IN_WOW64 (APPLICATION_ERROR_MASK | ERROR_SEVERITY_ERROR | 0x235)
#define ERROR_INF_IN_USE_BY_DEVICES (APPLICATION_ERROR_MASK | ERROR_SEVERITY_ERROR | 0x23D)

// Messages.
#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define LANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define MAKELANGID(p, s) ((((WORD)(s)) << 10) | (WORD)(p))

// Files.
#define GENERIC_READ 0x80000000UL
#define GENERIC_WRITE 0x40000000UL
#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define FILE_SHARE_DELETE 0x00000004
#define FILE_APPEND_DATA 0x00000004
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5
#define DELETE 0x00010000UL
#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_SYSTEM 0x00000004
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400
#define FILE_ATTRIBUTE_NOT_CONTENT_INDEXED 0x00002000
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)
#define FILE_FLAG_DELETE_ON_CLOSE 0x04000000
#define FILE_FLAG_OPEN_REPARSE_POINT 0x00200000
#define FILE_FLAG_BACKUP_SEMANTICS 0x02000000
#define READ_CONTROL 0x00020000L
#define OWNER_SECURITY_INFORMATION 0x00000001
#define GROUP_SECURITY_INFORMATION 0x00000002
#define DACL_SECURITY_INFORMATION 0x00000004
#define MOVEFILE_REPLACE_EXISTING 0x00000001
#define MOVEFILE_WRITE_THROUGH 0x00000008

// Security: access tokens, security identifiers and the descriptors of objects opened by handle.
// The simulation's SIDs, access lists and descriptors are texts (see winsim/control/files.h).
typedef PVOID PSID;
struct ACL;
typedef ACL* PACL;
struct SID_IDENTIFIER_AUTHORITY {
  BYTE Value[6];
};
typedef SID_IDENTIFIER_AUTHORITY* PSID_IDENTIFIER_AUTHORITY;
#define SECURITY_NT_AUTHORITY \
  { 0, 0, 0, 0, 0, 5 }
#define SECURITY_LOCAL_SYSTEM_RID 0x00000012L
#define SECURITY_BUILTIN_DOMAIN_RID 0x00000020L
#define DOMAIN_ALIAS_RID_ADMINS 0x00000220L
struct SID_AND_ATTRIBUTES {
  PSID Sid;
  DWORD Attributes;
};
struct TOKEN_USER {
  SID_AND_ATTRIBUTES User;
};
struct TOKEN_OWNER {
  PSID Owner;
};
enum TOKEN_INFORMATION_CLASS { TokenUser = 1, TokenGroups, TokenPrivileges, TokenOwner };
#define TOKEN_QUERY 0x0008
enum SE_OBJECT_TYPE { SE_UNKNOWN_OBJECT_TYPE = 0, SE_FILE_OBJECT };

// Message boxes.
#define MB_OK 0x00000000L
#define IDOK 1
#define MB_ICONWARNING 0x00000030L
#define MB_ICONINFORMATION 0x00000040L

// Local memory.
#define LMEM_FIXED 0x0000
#define LMEM_ZEROINIT 0x0040
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)

// Registry.
#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_CREATE_LINK 0x0020
#define KEY_READ 0x20019
#define KEY_ALL_ACCESS 0xF003F
#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_DWORD 4
#define REG_MULTI_SZ 7

// Device installation.
#define DIGCF_PRESENT 0x00000002
#define DIGCF_ALLCLASSES 0x00000004
#define DICS_FLAG_GLOBAL 0x00000001
#define DICS_FLAG_CONFIGSPECIFIC 0x00000002
#define DIREG_DEV 0x00000001
#define DIREG_DRV 0x00000002
#define DICD_GENERATE_ID 0x00000001
#define DICD_INHERIT_CLASSDRVS 0x00000002
#define DIF_REMOVE 0x00000005
#define SPDRP_DEVICEDESC 0x00000000
#define SPDRP_HARDWAREID 0x00000001
#define SPDRP_COMPATIBLEIDS 0x00000002
#define SPDRP_FRIENDLYNAME 0x0000000C
#define MAX_CLASS_NAME_LEN 32
#define INSTALLFLAG_FORCE 0x00000001
#define INSTALLFLAG_READONLY 0x00000002
#define INSTALLFLAG_NONINTERACTIVE 0x00000004

// Kernel.
DWORD WINAPI GetLastError();
void WINAPI SetLastError(DWORD code);
DWORD WINAPI FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId,
                            LPSTR buffer, DWORD size, va_list* arguments);
HLOCAL WINAPI LocalAlloc(UINT flags, SIZE_T bytes);
HLOCAL WINAPI LocalFree(HLOCAL memory);
HANDLE WINAPI FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findData);
BOOL WINAPI FindClose(HANDLE findFile);
HMODULE WINAPI LoadLibraryA(LPCSTR fileName);
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR procName);
BOOL WINAPI FreeLibrary(HMODULE module);
BOOL WINAPI IsDBCSLeadByte(BYTE testChar);
BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA versionInfo);
DWORD WINAPI GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer);
HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName);
DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);

// The shell's folders: only the all-users application data.
typedef LONG HRESULT;
#define S_OK ((HRESULT)0L)
#define E_FAIL ((HRESULT)0x80004005L)
#define FAILED(hr) (((HRESULT)(hr)) < 0)
#define CSIDL_COMMON_APPDATA 0x0023
#define SHGFP_TYPE_CURRENT 0
HRESULT WINAPI SHGetFolderPathA(HWND owner, int folder, HANDLE token, DWORD flags, LPSTR path);
HANDLE WINAPI GetCurrentProcess();
UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size);
// Reached only through GetProcAddress: kernel32 has it from Windows XP SP2 on.
BOOL WINAPI IsWow64Process(HANDLE process, PBOOL wow64Process);
// Reached only through GetProcAddress: from Windows 8 (or Vista and 7 with KB2533623) and from
// Windows XP SP1 on.
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
BOOL WINAPI SetDefaultDllDirectories(DWORD directoryFlags);
BOOL WINAPI SetDllDirectoryA(LPCSTR pathName);

// Resources of the program under test.
int WINAPI LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax);

// Files.
HANDLE WINAPI CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode,
                          LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                          HANDLE templateFile);
BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read,
                     LPOVERLAPPED overlapped);
BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written,
                      LPOVERLAPPED overlapped);
BOOL WINAPI FlushFileBuffers(HANDLE file);
BOOL WINAPI CloseHandle(HANDLE object);
BOOL WINAPI MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags);
BOOL WINAPI DeleteFileA(LPCSTR fileName);
BOOL WINAPI ReplaceFileA(LPCSTR replacedFileName, LPCSTR replacementFileName, LPCSTR backupFileName,
                         DWORD replaceFlags, LPVOID exclude, LPVOID reserved);
DWORD WINAPI GetFileAttributesA(LPCSTR fileName);
BOOL WINAPI SetFileAttributesA(LPCSTR fileName, DWORD attributes);
BOOL WINAPI GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information);
BOOL WINAPI SetFileTime(HANDLE file, const FILETIME* creationTime, const FILETIME* lastAccessTime,
                        const FILETIME* lastWriteTime);
BOOL WINAPI GetFileSecurityA(LPCSTR fileName, SECURITY_INFORMATION requested,
                             PSECURITY_DESCRIPTOR descriptor, DWORD length, LPDWORD lengthNeeded);
BOOL WINAPI SetFileSecurityA(LPCSTR fileName, SECURITY_INFORMATION given,
                             PSECURITY_DESCRIPTOR descriptor);
BOOL WINAPI RemoveDirectoryA(LPCSTR pathName);
// Returns its code, as the registry's calls do, and leaves the last-error code alone.
DWORD WINAPI GetSecurityInfo(HANDLE handle, SE_OBJECT_TYPE objectType,
                             SECURITY_INFORMATION securityInfo, PSID* owner, PSID* group,
                             PACL* dacl, PACL* sacl, PSECURITY_DESCRIPTOR* securityDescriptor);

// Access tokens and security identifiers.
BOOL WINAPI OpenProcessToken(HANDLE processHandle, DWORD desiredAccess, PHANDLE tokenHandle);
BOOL WINAPI GetTokenInformation(HANDLE tokenHandle, TOKEN_INFORMATION_CLASS informationClass,
                                LPVOID information, DWORD informationLength, PDWORD returnLength);
BOOL WINAPI AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY authority, BYTE subAuthorityCount,
                                     DWORD subAuthority0, DWORD subAuthority1, DWORD subAuthority2,
                                     DWORD subAuthority3, DWORD subAuthority4, DWORD subAuthority5,
                                     DWORD subAuthority6, DWORD subAuthority7, PSID* sid);
PVOID WINAPI FreeSid(PSID sid);
BOOL WINAPI EqualSid(PSID sid1, PSID sid2);

// Communications resources: COM ports, opened by their device path "\\\\.\\COMn".
#define MAXDWORD 0xffffffffUL
#define ERROR_BUSY 170L
#define ERROR_LOCK_VIOLATION 33L
#define NOPARITY 0
#define ONESTOPBIT 0
#define DTR_CONTROL_ENABLE 0x01
#define RTS_CONTROL_HANDSHAKE 0x02
#define PURGE_TXCLEAR 0x0004
#define PURGE_RXCLEAR 0x0008
// The platform's layout, bit fields and all: 28 bytes, as a modem's driver key stores it.
struct DCB {
  DWORD DCBlength;
  DWORD BaudRate;
  DWORD fBinary : 1;
  DWORD fParity : 1;
  DWORD fOutxCtsFlow : 1;
  DWORD fOutxDsrFlow : 1;
  DWORD fDtrControl : 2;
  DWORD fDsrSensitivity : 1;
  DWORD fTXContinueOnXoff : 1;
  DWORD fOutX : 1;
  DWORD fInX : 1;
  DWORD fErrorChar : 1;
  DWORD fNull : 1;
  DWORD fRtsControl : 2;
  DWORD fAbortOnError : 1;
  DWORD fDummy2 : 17;
  WORD wReserved;
  WORD XonLim;
  WORD XoffLim;
  BYTE ByteSize;
  BYTE Parity;
  BYTE StopBits;
  char XonChar;
  char XoffChar;
  char ErrorChar;
  char EofChar;
  char EvtChar;
  WORD wReserved1;
};
typedef DCB* LPDCB;
struct COMMTIMEOUTS {
  DWORD ReadIntervalTimeout;
  DWORD ReadTotalTimeoutMultiplier;
  DWORD ReadTotalTimeoutConstant;
  DWORD WriteTotalTimeoutMultiplier;
  DWORD WriteTotalTimeoutConstant;
};
typedef COMMTIMEOUTS* LPCOMMTIMEOUTS;
BOOL WINAPI GetCommState(HANDLE file, LPDCB state);
BOOL WINAPI SetCommState(HANDLE file, LPDCB state);
BOOL WINAPI GetCommTimeouts(HANDLE file, LPCOMMTIMEOUTS timeouts);
BOOL WINAPI SetCommTimeouts(HANDLE file, LPCOMMTIMEOUTS timeouts);
BOOL WINAPI PurgeComm(HANDLE file, DWORD flags);
// Milliseconds on the machine's clock, which wraps after 49.7 days.
DWORD WINAPI GetTickCount();
// Waits `milliseconds`: the machine's clock moves on by as much.
void WINAPI Sleep(DWORD milliseconds);

// Remote access.
DWORD WINAPI RasSetEntryPropertiesA(LPCSTR phonebook, LPCSTR entryName, LPRASENTRYA entry,
                                    DWORD entrySize, LPBYTE deviceInfo, DWORD deviceInfoSize);

// Windows.
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// Registry.
LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, HKEY* result);
LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                             LPBYTE data, LPDWORD dataSize);
LONG WINAPI RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                           DWORD dataSize);
LONG WINAPI RegCloseKey(HKEY key);

// SetupAPI.
HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID* classGuid, PCSTR enumerator, HWND parent,
                                     DWORD flags);
HDEVINFO WINAPI SetupDiCreateDeviceInfoList(const GUID* classGuid, HWND parent);
BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO set);
BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA data);
BOOL WINAPI SetupDiCreateDeviceInfoA(HDEVINFO set, PCSTR deviceName, const GUID* classGuid,
                                     PCSTR description, HWND parent, DWORD flags,
                                     PSP_DEVINFO_DATA data);
BOOL WINAPI SetupDiRegisterDeviceInfo(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD flags,
                                      PSP_DETSIG_CMPPROC compare, PVOID context,
                                      PSP_DEVINFO_DATA duplicate);
BOOL WINAPI SetupDiCallClassInstaller(DI_FUNCTION function, HDEVINFO set, PSP_DEVINFO_DATA data);
BOOL WINAPI SetupDiGetDeviceRegistryPropertyA(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD property,
                                              PDWORD type, PBYTE buffer, DWORD size,
                                              PDWORD requiredSize);
BOOL WINAPI SetupDiSetDeviceRegistryPropertyA(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD property,
                                              const BYTE* buffer, DWORD size);
BOOL WINAPI SetupDiGetDeviceInstanceIdA(HDEVINFO set, PSP_DEVINFO_DATA data, PSTR deviceInstanceId,
                                        DWORD deviceInstanceIdSize, PDWORD requiredSize);
BOOL WINAPI SetupDiGetINFClassA(PCSTR infName, LPGUID classGuid, PSTR className,
                                DWORD classNameSize, PDWORD requiredSize);
HKEY WINAPI SetupDiOpenDevRegKey(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD scope, DWORD hwProfile,
                                 DWORD keyType, REGSAM access);
HKEY WINAPI SetupDiCreateDevRegKeyA(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD scope,
                                    DWORD hwProfile, DWORD keyType, HINF infHandle,
                                    PCSTR installSection);

BOOL WINAPI SetupDiGetDeviceInstallParamsA(HDEVINFO set, PSP_DEVINFO_DATA data,
                                           SP_DEVINSTALL_PARAMS_A* params);
// Reached only through GetProcAddress on setupapi.dll: Windows XP and later have it.
BOOL WINAPI SetupUninstallOEMInfA(LPCSTR infFileName, DWORD flags, PVOID reserved);

// newdev.dll: reached only through LoadLibraryA and GetProcAddress, as on Windows.
BOOL WINAPI UpdateDriverForPlugAndPlayDevicesA(HWND parent, LPCSTR hardwareId, LPCSTR fullInfPath,
                                               DWORD installFlags, PBOOL rebootRequired);

// crypt32: the system certificate stores.
#include "winsim/wincrypt.h"

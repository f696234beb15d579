// The kit's installers run silently in the prefix: each places a kit of the right kind, registers
// its uninstaller and gives every user a shortcut to the dial-up entry, and the uninstaller takes
// all of it away again, waiting for the work and saying how it went.

#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "beside_program.h"
#include "machine_stores.h"
#include "modem_devices.h"
#include "robot.h"
#include "unique_handle.h"

namespace {

constexpr char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\GprsModemKit";
const char* const kFiles[] = {"InfInstall.dll", "PortWizard.exe", "InitWriter.exe",
                              "EntryMaker.exe", "GprsKit.exe",    "wwandev.inf",
                              "wwandev.cat",    "wwandev.cer"};
// What a failed set-up or removal ends with, as Windows Installer's own do.
constexpr int kFailed = 1603;
// The name the uninstaller, which cannot delete itself, moves aside to until Windows restarts.
constexpr char kUninstallerAside[] = "Uninstall.exe.removed";

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool ReadWhole(const std::string& path, std::string& contents) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  char buffer[4096];
  size_t read = 0;
  while ((read = std::fread(buffer, 1, sizeof buffer, file)) > 0) contents.append(buffer, read);
  (void)std::fclose(file);
  return true;
}

std::string Environment(const char* name) {
  char value[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  return length > 0 && length < sizeof value ? value : "";
}

// The Program Files of the kit's own kind.
std::string ProgramFiles(bool x64Kit) {
  const std::string programW6432 = Environment("ProgramW6432");
  return x64Kit && !programW6432.empty() ? programW6432 : Environment("ProgramFiles");
}

// Where an installer puts a kit.
std::string InstallFolder(bool x64Kit) {
  return ProgramFiles(x64Kit) + "\\GPRS Modem Kit";
}

// The machine a Windows program is built for, from its PE header; 0 when it cannot be read.
WORD MachineOf(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return 0;
  unsigned char header[4096] = {};
  const size_t read = std::fread(header, 1, sizeof header, file);
  (void)std::fclose(file);
  if (read < 0x40) return 0;
  const DWORD pe =
      header[0x3c] | header[0x3d] << 8 | header[0x3e] << 16 | DWORD{header[0x3f]} << 24;
  if (pe > read - 6 ||
      std::string(reinterpret_cast<char*>(header + pe), 4) != std::string("PE\0\0", 4))
    return 0;
  return static_cast<WORD>(header[pe + 4] | header[pe + 5] << 8);
}

[[maybe_unused]] bool MachineIsX64() {
  BOOL underWow64 = FALSE;
  return sizeof(void*) == 8 || (IsWow64Process(GetCurrentProcess(), &underWow64) && underWow64);
}

// The shortcut every user of the PC finds in the Start menu.
std::string ShortcutPath() {
  char programs[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, 0, programs))) return "";
  return std::string(programs) + "\\GPRS Modem Kit\\Create GPRS dial-up entry.lnk";
}

// The program a shortcut starts; "" when the shortcut cannot be read.
std::string ShortcutTarget(const std::string& shortcut) {
  std::string target;
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link))))
    return target;
  IPersistFile* file = nullptr;
  wchar_t wide[MAX_PATH] = {};
  char path[MAX_PATH] = {};
  if (MultiByteToWideChar(CP_ACP, 0, shortcut.c_str(), -1, wide, MAX_PATH) > 0 &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    if (SUCCEEDED(file->Load(wide, STGM_READ)) &&
        link->GetPath(path, sizeof path, nullptr, SLGP_RAWPATH) == S_OK)
      target = path;
    file->Release();
  }
  link->Release();
  return target;
}

// The key the installer writes to learn whether it holds an administrator's rights; it must not
// stay behind.
bool RightsKeyLeft() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\GprsModemKit", 0, KEY_READ | KEY_WOW64_64KEY,
                    &key) != 0)
    return false;
  RegCloseKey(key);
  return true;
}

std::string UninstallValue(const char* name) {
  HKEY key = nullptr;
  char value[MAX_PATH] = {};
  DWORD size = sizeof value - 1;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | KEY_WOW64_64KEY, &key) != 0)
    return "";
  RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  return value;
}

// Whether Windows is to delete `path` when it next starts: MoveFileEx's delayed deletions stand in
// the Session Manager's PendingFileRenameOperations, each as its name and an empty target.
bool DeletedAtRestart(const std::string& path) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0,
                    KEY_READ, &opened) != 0)
    return false;
  RegKey key(opened);
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), "PendingFileRenameOperations", nullptr, nullptr, nullptr,
                       &size) != 0)
    return false;
  std::string names(size + 2, '\0');
  if (RegQueryValueExA(key.get(), "PendingFileRenameOperations", nullptr, nullptr,
                       reinterpret_cast<BYTE*>(names.data()), &size) != 0)
    return false;
  for (size_t at = 0; at < size && names[at];) {
    std::string name = names.c_str() + at;
    const std::string target = names.c_str() + at + name.size() + 1;
    at += name.size() + target.size() + 2;
    // A folder's name may end with a separator.
    if (!name.empty() && name.back() == '\\') name.pop_back();
    if (target.empty() && name.size() >= path.size() &&
        _stricmp(name.c_str() + name.size() - path.size(), path.c_str()) == 0)
      return true;
  }
  return false;
}

// The uninstaller runs in place, and a running program cannot be deleted: Windows deletes it, and
// the folder, at the next restart. Where a running program can be renamed, as on Windows, it has
// moved aside first, so that a kit installed again before then keeps its own Uninstall.exe; Wine
// refuses to rename it, and it stays under its name. The test then takes the rest away itself.
void ExpectUninstallerGoesAtRestart(const std::string& folder) {
  const bool movedAside = !Exists(folder + "\\Uninstall.exe");
  const std::string left = folder + "\\" + (movedAside ? kUninstallerAside : "Uninstall.exe");
  std::printf("the uninstaller %s\n", movedAside ? "moved aside" : "stayed under its name");
  EXPECT_TRUE(Exists(left));
  EXPECT_TRUE(DeletedAtRestart(left));
  EXPECT_TRUE(DeletedAtRestart(folder));
  DeleteFileA(left.c_str());
  RemoveDirectoryA(folder.c_str());
}

int RunToEnd(const std::string& program, const std::string& arguments) {
  robot::Process process = robot::Process::Start(program, arguments, "");
  if (!process.started() || !process.WaitForExit(60000)) return -1;
  return static_cast<int>(process.ExitCode().value_or(99));
}

// Whether a 32-bit program runs here. Wine without its 32-bit half starts one as a process that
// ends at once with code 0, having run nothing, so only a program that answers tells.
[[maybe_unused]] bool Runs32BitPrograms() {
  if (sizeof(void*) == 4) return true;
  char folder[MAX_PATH] = {};
  const UINT length = GetSystemWow64DirectoryA(folder, sizeof folder);
  if (length == 0 || length >= sizeof folder) return false;
  return RunToEnd(std::string(folder) + "\\cmd.exe", "/c exit 7") == 7;
}

std::string InstallerPath(const std::string& installer) {
  return BesideProgram(("..\\..\\dist\\" + installer).c_str());
}

// Nothing of the kit on the machine: no files, no uninstall entry, no shortcut.
void ExpectNoKit(const std::string& folder) {
  for (const char* file : kFiles) EXPECT_FALSE(Exists(folder + "\\" + file)) << file;
  EXPECT_EQ(UninstallValue("DisplayName"), "");
  EXPECT_FALSE(RightsKeyLeft());
  const std::string shortcut = ShortcutPath();
  EXPECT_FALSE(shortcut.empty());
  EXPECT_FALSE(Exists(shortcut));
  EXPECT_FALSE(Exists(shortcut.substr(0, shortcut.rfind('\\'))));
}

// Where the user's own rights do not reach, the uninstaller is started from somewhere the user
// chose: here a copy outside the kit's folder, beside a file named like one of the kit's. The
// uninstaller that does the work must be the installed one, working on the installed kit, while
// the copy and the file beside it stay as they were.
void UninstallFromACopy(const std::string& folder) {
  const std::string elsewhere = Environment("USERPROFILE") + "\\Uninstaller copy";
  CreateDirectoryA(elsewhere.c_str(), nullptr);
  ASSERT_TRUE(CopyFileA((folder + "\\Uninstall.exe").c_str(),
                        (elsewhere + "\\Uninstall.exe").c_str(), FALSE));
  ASSERT_TRUE(
      CopyFileA((folder + "\\wwandev.inf").c_str(), (elsewhere + "\\wwandev.inf").c_str(), FALSE));
  EXPECT_EQ(RunToEnd(elsewhere + "\\Uninstall.exe", "/S _?=" + elsewhere), 0);
  ExpectNoKit(folder);
  ExpectUninstallerGoesAtRestart(folder);
  EXPECT_TRUE(Exists(elsewhere + "\\wwandev.inf"));
  // With no kit installed there is nothing to remove, which is not success.
  EXPECT_EQ(RunToEnd(elsewhere + "\\Uninstall.exe", "/S _?=" + elsewhere), kFailed);
  for (const char* file : {"Uninstall.exe", "wwandev.inf"})
    DeleteFileA((elsewhere + "\\" + file).c_str());
  RemoveDirectoryA(elsewhere.c_str());
}

// Installs silently, checks the kit is in place and of the kind it should be, and uninstalls.
// `givenFolder`, when not empty, goes to the installer with /D=: it stands for an installer that
// starts with an administrator's rights; one without them places the kit in Program Files all the
// same, and nothing in the folder given. False, with nothing done, when the installer cannot be
// started here at all.
bool InstallAndUninstall(const std::string& installer, bool x64Kit,
                         const std::string& givenFolder = "", bool standardUser = false) {
  const bool folderStands = !givenFolder.empty() && !standardUser;
  const std::string folder = folderStands ? givenFolder : InstallFolder(x64Kit);
  const std::string path = InstallerPath(installer);
  EXPECT_TRUE(Exists(path)) << path;
  // The run without the rights gives Windows Installer's option, which must mean /S too: a page
  // would wait where nobody is at the screen.
  const std::string silent = standardUser ? "/quiet" : "/S";
  robot::Process install =
      robot::Process::Start(path, givenFolder.empty() ? silent : silent + " /D=" + givenFolder, "");
  if (!install.started()) return false;
  EXPECT_TRUE(install.WaitForExit(60000));
  EXPECT_EQ(install.ExitCode().value_or(99), 0u);
  for (const char* file : kFiles) EXPECT_TRUE(Exists(folder + "\\" + file)) << file;
  if (!givenFolder.empty() && !folderStands) {
    EXPECT_FALSE(Exists(givenFolder)) << givenFolder;
  }
  const WORD machine = x64Kit ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386;
  for (const char* program : {"InfInstall.dll", "PortWizard.exe", "EntryMaker.exe"})
    EXPECT_EQ(MachineOf(folder + "\\" + program), machine) << program;
  EXPECT_EQ(UninstallValue("DisplayName"), "GPRS Modem Kit");
  EXPECT_FALSE(RightsKeyLeft());
  EXPECT_EQ(UninstallValue("UninstallString"), "\"" + folder + "\\Uninstall.exe\" _?=" + folder);
  const std::string shortcut = ShortcutPath();
  EXPECT_FALSE(shortcut.empty());
  EXPECT_EQ(ShortcutTarget(shortcut), folder + "\\EntryMaker.exe");
  // The kit's own certificate is trusted by the machine, and this build's kit is the one placed.
  std::string certificate;
  EXPECT_TRUE(ReadWhole(folder + "\\wwandev.cer", certificate));
  if (installer == KIT_INSTALLER) {
    std::string built;
    EXPECT_TRUE(ReadWhole(KitFolder() + "\\wwandev.cer", built));
    EXPECT_EQ(certificate, built);
  }
  EXPECT_TRUE(MachineStoreHolds("Root", certificate));
  EXPECT_TRUE(MachineStoreHolds("TrustedPublisher", certificate));

  if (standardUser) {
    UninstallFromACopy(folder);
  } else {
    // "_?=" keeps the uninstaller in place, so that its end is the end of the uninstall.
    EXPECT_EQ(RunToEnd(folder + "\\Uninstall.exe", "/S _?=" + folder), 0);
    ExpectNoKit(folder);
    ExpectUninstallerGoesAtRestart(folder);
  }
  // And no longer once the kit is gone.
  EXPECT_FALSE(MachineStoreHolds("Root", certificate));
  EXPECT_FALSE(MachineStoreHolds("TrustedPublisher", certificate));
  return true;
}

// The shortcut is read through the shell's own link object.
class Installer : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
  void TearDown() override { CoUninitialize(); }
};

// Started with an administrator's rights, as by a deployment tool, the installer keeps the folder
// it is given under Program Files.
TEST_F(Installer, PlacesThisBuildsKitAndTakesItAwayAgain) {
  EXPECT_TRUE(InstallAndUninstall(KIT_INSTALLER, sizeof(void*) == 8,
                                  ProgramFiles(sizeof(void*) == 8) + "\\Deployed kit"));
}

// Anything that would leave the kit otherwise than asked ends the set-up before it changes
// anything: a folder other users could write; the former unattended options, with which a script
// would get the files without the modem it asked for; and the Windows Installer package's kit,
// which stands in the same folder, whichever kind of package placed it.
TEST_F(Installer, RefusesBeforeItChangesAnything) {
  const bool x64Kit = sizeof(void*) == 8;
  const std::string path = InstallerPath(KIT_INSTALLER);
  const std::string folder = InstallFolder(x64Kit);
  const std::string elsewhere = Environment("USERPROFILE") + "\\Deployed kit";
  for (const std::string& arguments :
       {"/S /D=" + elsewhere, "/S /D=" + ProgramFiles(x64Kit) + "\\..\\Kit",
        "/S /D=" + ProgramFiles(x64Kit) + "/../Kit", std::string("/S /PORT=COM4"),
        std::string("/S /APN=internet"), std::string("/S /port=COM4 /Apn=internet")}) {
    EXPECT_EQ(RunToEnd(path, arguments), kFailed) << arguments;
    EXPECT_FALSE(Exists(elsewhere));
    ExpectNoKit(folder);
  }
  for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
    HKEY created = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\GPRS Modem Kit", 0, nullptr, 0,
                              KEY_SET_VALUE | view, nullptr, &created, nullptr),
              0);
    RegKey key(created);
    const char product[] = "{0C6D1A2B-3E4F-4A5B-8C7D-9E0F1A2B3C4D}";
    ASSERT_EQ(RegSetValueExA(key.get(), "ProductCode", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(product), sizeof product),
              0);
    EXPECT_EQ(RunToEnd(path, "/S"), kFailed) << view;
    ExpectNoKit(folder);
    EXPECT_FALSE(Exists(folder)) << folder;
    EXPECT_EQ(RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "Software\\GPRS Modem Kit", view, 0), 0);
  }
}

// Where the user's own rights do not reach, the installer hands the machine-wide part to an
// elevated copy of itself, which places the kit in Program Files whatever folder the user gave;
// the uninstaller hands its whole job to the installed uninstaller, elevated. The copy's outcome
// comes back, though ShellExecuteEx gives no exit code: a copy that stops halfway (here at
// GprsKit.exe, held open by another program) fails the installer too, files placed or not.
TEST_F(Installer, WithoutAdministratorRightsPlacesTheKitThroughAnElevatedCopy) {
  const std::string folder = InstallFolder(sizeof(void*) == 8);
  CreateDirectoryA(folder.c_str(), nullptr);
  {
    File held(CreateFileA((folder + "\\GprsKit.exe").c_str(), GENERIC_WRITE, 0, nullptr,
                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    EXPECT_EQ(RunToEnd(InstallerPath(KIT_STANDARD_USER_INSTALLER), "/S"), kFailed);
    EXPECT_TRUE(Exists(folder + "\\EntryMaker.exe"));
  }
  for (const char* file : kFiles) DeleteFileA((folder + "\\" + file).c_str());
  EXPECT_TRUE(RemoveDirectoryA(folder.c_str()));
  ExpectNoKit(folder);
  EXPECT_TRUE(InstallAndUninstall(KIT_STANDARD_USER_INSTALLER, sizeof(void*) == 8,
                                  Environment("USERPROFILE") + "\\Chosen kit", true));
}

// Anyone can give the elevated copy's option. A copy that does not hold the rights it stands for
// changes nothing and fails, and so does the installer that started it.
TEST_F(Installer, AnElevatedCopyWithoutTheRightsChangesNothing) {
  const std::string path = InstallerPath(KIT_WITHOUT_RIGHTS_INSTALLER);
  ASSERT_TRUE(Exists(path)) << path;
  const std::string folder = InstallFolder(sizeof(void*) == 8);
  EXPECT_EQ(RunToEnd(path, "/S /ELEVATED"), kFailed);
  EXPECT_FALSE(Exists(folder)) << folder;
  ExpectNoKit(folder);
  EXPECT_EQ(RunToEnd(path, "/S"), kFailed);
  EXPECT_FALSE(Exists(folder)) << folder;
  ExpectNoKit(folder);
}

// The uninstall entry's quiet string, run as written, as a deployment tool runs it: it returns
// once the modem and the kit are gone, with the removal's code. A removal that cannot be done
// (here GprsKit.exe, held open by another program, cannot be started) ends with 1603 and keeps
// the modem and the kit, so that it can run again.
TEST_F(Installer, TheQuietUninstallStringWaitsForTheRemovalAndReturnsItsCode) {
  RemoveModems(kModemHardwareId);
  const std::string folder = InstallFolder(sizeof(void*) == 8);
  ASSERT_EQ(RunToEnd(InstallerPath(KIT_INSTALLER), "/S"), 0);
  EXPECT_TRUE(FindModems(kModemHardwareId).empty());
  // The modem set up later from the kit's folder, as an administrator may.
  ASSERT_EQ(RunToEnd(folder + "\\GprsKit.exe", "install COM4"), 0);
  ASSERT_EQ(FindModems(kModemHardwareId).size(), 1u);
  const std::string quiet = UninstallValue("QuietUninstallString");
  ASSERT_EQ(quiet, "\"" + folder + "\\Uninstall.exe\" /S _?=" + folder);
  const size_t programEnd = quiet.find('"', 1);
  const std::string program = quiet.substr(1, programEnd - 1);
  const std::string arguments = quiet.substr(programEnd + 2);

  {
    File held(CreateFileA((folder + "\\GprsKit.exe").c_str(), GENERIC_READ, 0, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    EXPECT_EQ(RunToEnd(program, arguments), kFailed);
  }
  EXPECT_EQ(FindModems(kModemHardwareId).size(), 1u);
  EXPECT_EQ(UninstallValue("DisplayName"), "GPRS Modem Kit");
  for (const char* file : kFiles) EXPECT_TRUE(Exists(folder + "\\" + file)) << file;
  EXPECT_TRUE(Exists(folder + "\\Uninstall.exe"));

  EXPECT_EQ(RunToEnd(program, arguments), 0);
  EXPECT_TRUE(FindModems(kModemHardwareId).empty());
  ExpectNoKit(folder);
  ExpectUninstallerGoesAtRestart(folder);
  RemoveModems(kModemHardwareId);
}

TEST_F(Installer, WithBothKitsPlacesTheOneThatMatchesTheMachine) {
#ifdef KIT_MATCHING_INSTALLER
  // The installer is a 32-bit program, so that it starts on every machine. Where Wine cannot
  // run 32-bit programs, its 64-bit twin from the same script makes the same choice.
  if (!Runs32BitPrograms() || !InstallAndUninstall(KIT_MATCHING_INSTALLER, MachineIsX64())) {
    std::printf("32-bit programs cannot run here: the installer's 64-bit twin is used\n");
    EXPECT_TRUE(InstallAndUninstall(KIT_MATCHING_STUB64, MachineIsX64()));
  }
#else
  GTEST_SKIP() << "this build makes no installer with both kits";
#endif
}

}  // namespace

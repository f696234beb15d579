// The kit's installer run silently in the prefix: it places the kit and registers its uninstaller,
// and the uninstaller takes the files away again.

#include <gtest/gtest.h>

#include <string>

#include "beside_program.h"
#include "robot.h"

namespace {

constexpr char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\GprsModemKit";
const char* const kFiles[] = {"InfInstall.dll", "PortWizard.exe", "InitWriter.exe",
                              "EntryMaker.exe", "wwandev.inf"};

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string InstallFolder() {
  char programFiles[MAX_PATH] = {};
  GetEnvironmentVariableA("ProgramFiles", programFiles, sizeof programFiles);
  return std::string(programFiles) + "\\GPRS Modem Kit";
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

int RunToEnd(const std::string& program, const std::string& arguments) {
  robot::Process process = robot::Process::Start(program, arguments, "");
  if (!process.started() || !process.WaitForExit(60000)) return -1;
  return static_cast<int>(process.ExitCode().value_or(99));
}

TEST(Installer, PlacesTheKitAndTakesItAwayAgain) {
  const std::string folder = InstallFolder();
  ASSERT_EQ(RunToEnd(BesideProgram("..\\..\\dist\\" KIT_INSTALLER), "/S"), 0);
  for (const char* file : kFiles) EXPECT_TRUE(Exists(folder + "\\" + file)) << file;
  EXPECT_EQ(UninstallValue("DisplayName"), "GPRS Modem Kit");
  EXPECT_EQ(UninstallValue("UninstallString"), "\"" + folder + "\\Uninstall.exe\"");

  // "_?=" keeps the uninstaller in place, so that its end is the end of the uninstall.
  ASSERT_EQ(RunToEnd(folder + "\\Uninstall.exe", "/S _?=" + folder), 0);
  for (const char* file : kFiles) EXPECT_FALSE(Exists(folder + "\\" + file)) << file;
  EXPECT_EQ(UninstallValue("DisplayName"), "");
  DeleteFileA((folder + "\\Uninstall.exe").c_str());
  RemoveDirectoryA(folder.c_str());
}

}  // namespace

// GprsKit.exe from the kit's folder under Wine, its output caught in files as a deployment tool's
// log would catch it: the status before and after an install and an APN, an absent port and the
// command line's errors.

#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>

#include "beside_program.h"
#include "kit_facts.h"
#include "modem_devices.h"
#include "unique_handle.h"

namespace {

struct Outcome {
  DWORD exitCode = 0xdeadbeef;
  std::string out;
  std::string err;
};

// Wine may close a child's copies of the handles a moment after the child is seen to end: the
// files are shared with it, and each run has files of its own.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A file the child writes to as its standard output or error.
File Inheritable(const std::string& path) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  return File(CreateFileA(path.c_str(), GENERIC_WRITE, kShareAll, &inherit, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::string Contents(const std::string& path) {
  File file(CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_TRUE(file) << path << ": error " << GetLastError();
  std::string text;
  char buffer[4096];
  DWORD read = 0;
  while (file && ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
    text.append(buffer, read);
  return text;
}

// Runs GprsKit from the kit's folder, or from `folder`, started in the test's own folder.
Outcome GprsKit(const std::string& arguments, const std::string& folder = KitFolder()) {
  static int run = 0;
  const std::string name = "gprskit-" + std::to_string(++run);
  const std::string out = BesideProgram((name + ".out").c_str());
  const std::string err = BesideProgram((name + ".err").c_str());
  Outcome outcome;
  {
    File outFile = Inheritable(out), errFile = Inheritable(err);
    EXPECT_TRUE(outFile && errFile) << "error " << GetLastError();
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = outFile.get();
    startup.hStdError = errFile.get();
    const std::string program = folder + "\\GprsKit.exe";
    std::string commandLine = "\"" + program + "\" " + arguments;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info)) {
      ADD_FAILURE() << "GprsKit.exe did not start: error " << GetLastError();
      return outcome;
    }
    CloseHandle(info.hThread);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 60000), WAIT_OBJECT_0);
    GetExitCodeProcess(info.hProcess, &outcome.exitCode);
    CloseHandle(info.hProcess);
  }
  outcome.out = Contents(out);
  outcome.err = Contents(err);
  return outcome;
}

class GprsKitTool : public ::testing::Test {
 protected:
  void SetUp() override { RemoveModems(kModemHardwareId); }
  void TearDown() override { RemoveModems(kModemHardwareId); }
};

TEST_F(GprsKitTool, StatusBeforeAndAfterAnInstallAndAnApn) {
  Outcome status = GprsKit("status");
  EXPECT_EQ(status.exitCode, 0u) << status.err;
  EXPECT_EQ(status.out.rfind("No GPRS modem (hardware ID WWAN_GENERIC) is present.\r\n", 0), 0u)
      << status.out;
  EXPECT_EQ(status.err, "");

  const Outcome install = GprsKit("install COM4");
  EXPECT_EQ(install.exitCode, 0u) << install.err;
  EXPECT_EQ(install.out, "The GPRS modem is installed on COM4.\r\n");
  const Outcome apn = GprsKit("apn internet");
  EXPECT_EQ(apn.exitCode, 0u) << apn.err;
  EXPECT_EQ(apn.out, "The modem's init string is now E1;+CGDCONT=\"internet\";+CGQREQ=1\r\n");

  status = GprsKit("status");
  std::printf("GprsKit status:\n%s%s", status.out.c_str(), status.err.c_str());
  EXPECT_EQ(status.exitCode, 0u) << status.err;
  const auto modems = FindModems(kModemHardwareId);
  ASSERT_EQ(modems.size(), 1u);
  EXPECT_EQ(modems[0].userInit, "E1;+CGDCONT=\"internet\";+CGQREQ=1");
  const std::string expected = "Modem " + modems[0].instanceId +
                               "\r\n"
                               "  port:           COM4\r\n"
                               "  name:           GPRS Modem\r\n"
                               "  init string:    E1;+CGDCONT=\"internet\";+CGQREQ=1\r\n";
  EXPECT_EQ(status.out.rfind(expected, 0), 0u) << status.out;
  EXPECT_NE(status.out.find("  driver package: "), std::string::npos);
  // The kit's catalog lists its INF; Wine's stores hold nothing of the build's own signer.
  char kit[MAX_PATH] = {};
  ASSERT_GT(GetFullPathNameA(KitFolder().c_str(), MAX_PATH, kit, nullptr), 0u);
  EXPECT_NE(status.out.find("\r\nDriver package catalog: " + std::string(kit) +
                            "\\wwandev.cat\r\n"
                            "  lists the INF:  yes, wwandev.inf as it is now\r\n"
                            "  signature:      not trusted: its signer is not trusted on this PC "
                            "(0x800B0109)\r\n"
                            "Dial-up entry \"GPRS Connection\": "),
            std::string::npos)
      << status.out;

  // Wine keeps the INF's own name as the package, no copy of the system's: it stays.
  const auto removed = GprsKit("remove");
  EXPECT_EQ(removed.exitCode, 0u) << removed.err;
  EXPECT_EQ(removed.out, "Removed 1 GPRS modem.\r\n");
  EXPECT_TRUE(FindModems(kModemHardwareId).empty());
}

// The tool with the kit's catalog and an INF changed after the catalog was made: the status says
// so, and a status that could look still exits with 0.
TEST_F(GprsKitTool, StatusSeesTheInfAndTheCatalogDriftApart) {
  const std::string folder = BesideProgram("drifted-kit");
  CreateDirectoryA(folder.c_str(), nullptr);
  for (const char* name : {"GprsKit.exe", "InfInstall.dll", "wwandev.cat", "wwandev.inf"})
    ASSERT_TRUE(
        CopyFileA((KitFolder() + "\\" + name).c_str(), (folder + "\\" + name).c_str(), FALSE))
        << name;
  {
    File inf(CreateFileA((folder + "\\wwandev.inf").c_str(), GENERIC_WRITE, 0, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(inf && WriteFile(inf.get(), "#", 1, &written, nullptr) && written == 1);
  }
  const Outcome status = GprsKit("status", folder);
  EXPECT_EQ(status.exitCode, 0u) << status.err;
  EXPECT_NE(status.out.find("\\wwandev.cat\r\n"
                            "  lists the INF:  no, not wwandev.inf as it is now\r\n"
                            "  signature:      not trusted: wwandev.inf was changed after the "
                            "catalog was made\r\n"),
            std::string::npos)
      << status.out;
  for (const char* name : {"GprsKit.exe", "InfInstall.dll", "wwandev.cat", "wwandev.inf"})
    DeleteFileA((folder + "\\" + name).c_str());
  RemoveDirectoryA(folder.c_str());
}

TEST_F(GprsKitTool, AnAbsentPortChangesNothing) {
  const Outcome install = GprsKit("install COM9");
  EXPECT_EQ(install.exitCode, 1u);
  EXPECT_EQ(install.out, "");
  EXPECT_EQ(install.err.rfind("COM9 is not a present COM port (present: ", 0), 0u) << install.err;
  EXPECT_TRUE(FindModems(kModemHardwareId).empty());
  const Outcome apn = GprsKit("apn internet");
  EXPECT_EQ(apn.exitCode, 1u);
  EXPECT_EQ(apn.err.rfind("No GPRS modem", 0), 0u) << apn.err;
  // An APN that would end the init string's quotes is refused before anything is looked at.
  const Outcome breakout = GprsKit("apn \"internet\\\";+CFUN=0;\\\"\"");
  EXPECT_EQ(breakout.exitCode, 2u);
  EXPECT_EQ(breakout.err.rfind("The APN is refused: the APN may hold only letters", 0), 0u)
      << breakout.err;
}

// The system's phonebook lies in a folder other users may write to. Whatever they put there under
// the names of the kit's copy, backup or lock is never taken for the kit's own: a folder under
// one of them fails the run, which then changes nothing.
TEST_F(GprsKitTool, AFolderLeftBesideTheSystemsPhonebookChangesNothing) {
  char common[MAX_PATH] = {};
  ASSERT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, common)));
  std::string folder = common;
  for (const char* part : {"\\Microsoft", "\\Network", "\\Connections", "\\Pbk"}) {
    folder += part;
    CreateDirectoryA(folder.c_str(), nullptr);
  }
  const std::string pbk = folder + "\\rasphone.pbk";
  const std::string planted = folder + "\\rasphone.new";
  ASSERT_TRUE(CopyFileA(BesideProgram("rasphone-seed.pbk").c_str(), pbk.c_str(), FALSE));
  ASSERT_TRUE(CreateDirectoryA(planted.c_str(), nullptr));
  const std::string before = Contents(pbk);
  const Outcome refused = GprsKit("entry /allusers");
  EXPECT_EQ(refused.exitCode, 1u);
  EXPECT_EQ(refused.err.rfind("The phonebook's folder is in use by another run, or holds a name "
                              "the kit may not replace, beside " +
                                  pbk + "; nothing was changed.",
                              0),
            0u)
      << refused.err;
  EXPECT_EQ(Contents(pbk), before);
  EXPECT_EQ(GetFileAttributesA(planted.c_str()), DWORD{FILE_ATTRIBUTE_DIRECTORY});
  ASSERT_TRUE(RemoveDirectoryA(planted.c_str()));
  const Outcome made = GprsKit("entry /allusers");
  EXPECT_EQ(made.exitCode, 0u) << made.err;
  EXPECT_NE(Contents(pbk).find("\r\nConnectBPS=115200\r\n"), std::string::npos);
  DeleteFileA(pbk.c_str());
}

// Whether the machine's system store `name` holds a certificate with the SHA-1 hash `sha1`.
bool MachineStoreHolds(const char* name, const BYTE (&sha1)[20]) {
  HCERTSTORE store =
      CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0,
                    CERT_SYSTEM_STORE_LOCAL_MACHINE | CERT_STORE_READONLY_FLAG, name);
  EXPECT_NE(store, nullptr) << name << ": error " << GetLastError();
  if (!store) return false;
  CRYPT_HASH_BLOB hash = {sizeof sha1, const_cast<BYTE*>(sha1)};
  PCCERT_CONTEXT found =
      CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_SHA1_HASH, &hash, nullptr);
  CertFreeCertificateContext(found);
  CertCloseStore(store, 0);
  return found != nullptr;
}

// The same certificates the unit tests give winsim, here read by Wine's own crypt32: the kind the
// build makes is trusted and taken out again, every other kind refused, each with the words the
// unit tests expect.
TEST_F(GprsKitTool, TrustTakesOnlyACertificateAsTheBuildMakesIt) {
  const std::string folder = BesideProgram("trust-kit");
  CreateDirectoryA(folder.c_str(), nullptr);
  for (const char* file : {"GprsKit.exe", "InfInstall.dll"})
    ASSERT_TRUE(
        CopyFileA((KitFolder() + "\\" + file).c_str(), (folder + "\\" + file).c_str(), FALSE));
  const std::string cer = folder + "\\wwandev.cer";
  const Outcome none = GprsKit("trust", folder);
  EXPECT_EQ(none.exitCode, 0u) << none.err;
  EXPECT_EQ(none.out.rfind("The kit carries no certificate of its own", 0), 0u) << none.out;

  const struct {
    const char* file;
    const char* why;
  } refused[] = {
      {"ca.der", "it may certify other certificates"},
      {"nobc.der", "it may certify other certificates"},
      {"server.der", "it is not for code signing"},
      {"issued.der", "it is not self-signed"},
  };
  for (const auto& each : refused) {
    ASSERT_TRUE(
        CopyFileA(BesideProgram((std::string("certificates\\") + each.file).c_str()).c_str(),
                  cer.c_str(), FALSE));
    const Outcome outcome = GprsKit("trust", folder);
    EXPECT_EQ(outcome.exitCode, 1u) << each.file;
    EXPECT_EQ(
        outcome.err.rfind(std::string("wwandev.cer beside GprsKit.exe is refused: ") + each.why, 0),
        0u)
        << outcome.err;
  }

  ASSERT_TRUE(CopyFileA(BesideProgram("certificates\\kit.der").c_str(), cer.c_str(), FALSE));
  const std::string der = Contents(cer);
  PCCERT_CONTEXT context = CertCreateCertificateContext(
      X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()), static_cast<DWORD>(der.size()));
  ASSERT_NE(context, nullptr);
  BYTE sha1[20] = {};
  DWORD size = sizeof sha1;
  EXPECT_TRUE(CertGetCertificateContextProperty(context, CERT_SHA1_HASH_PROP_ID, sha1, &size));
  CertFreeCertificateContext(context);
  for (const char* verb : {"trust", "trust"}) {
    const Outcome trusted = GprsKit(verb, folder);
    EXPECT_EQ(trusted.exitCode, 0u) << trusted.err;
    EXPECT_NE(trusted.out.find(") is in the machine's Root and TrustedPublisher stores; "),
              std::string::npos)
        << trusted.out;
    EXPECT_TRUE(MachineStoreHolds("Root", sha1));
    EXPECT_TRUE(MachineStoreHolds("TrustedPublisher", sha1));
  }
  for (const char* gone : {"; it was taken out of both.\r\n",
                           "; it was in neither, and nothing "
                           "was changed.\r\n"}) {
    const Outcome untrusted = GprsKit("untrust", folder);
    EXPECT_EQ(untrusted.exitCode, 0u) << untrusted.err;
    EXPECT_NE(untrusted.out.find(gone), std::string::npos) << untrusted.out;
    EXPECT_FALSE(MachineStoreHolds("Root", sha1));
    EXPECT_FALSE(MachineStoreHolds("TrustedPublisher", sha1));
  }
  for (const char* file : {"GprsKit.exe", "InfInstall.dll", "wwandev.cer"})
    DeleteFileA((folder + "\\" + file).c_str());
  RemoveDirectoryA(folder.c_str());
}

TEST_F(GprsKitTool, AWrongCommandLineExitsWithTwo) {
  for (const char* arguments : {"", "frobnicate", "install", "install COM4 COM1", "status x"}) {
    const Outcome wrong = GprsKit(arguments);
    EXPECT_EQ(wrong.exitCode, 2u) << arguments;
    EXPECT_EQ(wrong.out, "") << arguments;
    EXPECT_NE(wrong.err.find("Usage: GprsKit <verb> [argument]\r\n"), std::string::npos)
        << arguments;
  }
  // The log keeps the reason, not the usage's last line.
  const std::string log = BesideProgram("wrong-command.log");
  DeleteFileA(log.c_str());
  EXPECT_EQ(GprsKit("frobnicate /log:\"" + log + "\"").exitCode, 2u);
  EXPECT_EQ(Contents(log), "2 frobnicate: \"frobnicate\" is not a verb of GprsKit.\r\n");
  // A log that cannot be written is said, and the verb's outcome stays as it was.
  const Outcome unlogged = GprsKit("status /log:C:\\no-such-folder\\kit.log");
  EXPECT_EQ(unlogged.exitCode, 0u);
  EXPECT_EQ(unlogged.err.rfind("The log \"C:\\no-such-folder\\kit.log\" could not be written: ", 0),
            0u)
      << unlogged.err;
  const Outcome help = GprsKit("/?");
  EXPECT_EQ(help.exitCode, 0u);
  EXPECT_NE(help.out.find("Usage: GprsKit <verb> [argument]\r\n"), std::string::npos);
  EXPECT_TRUE(FindModems(kModemHardwareId).empty());
}

}  // namespace

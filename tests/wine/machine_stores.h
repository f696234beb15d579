// The machine's certificate stores as the tests read them, apart from the process that wrote them.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform.h"
// After windows.h, which it needs.
#include <wincrypt.h>

// Whether the machine's system store `name` holds `der`, as the kit's own certificate would
// stand there: found as the platform finds an existing certificate, and the same byte for byte.
// Wine keeps these stores where Windows does, below HKLM\Software\Microsoft\SystemCertificates,
// so this reads what GprsKit.exe, another process, wrote.
inline bool MachineStoreHolds(const char* name, const std::string& der) {
  HCERTSTORE store =
      CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0,
                    CERT_SYSTEM_STORE_LOCAL_MACHINE | CERT_STORE_READONLY_FLAG, name);
  EXPECT_NE(store, nullptr) << name << ": error " << GetLastError();
  PCCERT_CONTEXT wanted = CertCreateCertificateContext(
      X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()), static_cast<DWORD>(der.size()));
  EXPECT_NE(wanted, nullptr) << "error " << GetLastError();
  bool holds = false;
  if (store && wanted) {
    PCCERT_CONTEXT found = CertFindCertificateInStore(store, X509_ASN_ENCODING, 0,
                                                      CERT_FIND_EXISTING, wanted, nullptr);
    holds = found && found->cbCertEncoded == der.size() &&
            std::memcmp(found->pbCertEncoded, der.data(), der.size()) == 0;
    CertFreeCertificateContext(found);
  }
  CertFreeCertificateContext(wanted);
  if (store) CertCloseStore(store, 0);
  return holds;
}

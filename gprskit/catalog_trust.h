// The driver package's catalog beside the program: whether it is there, whether it lists the INF
// beside it as the INF is now, and whether this PC trusts its signature. It only reads.
#pragma once

#include "platform.h"

enum class CatalogCheck {
  kNoFolder,     // the program's folder cannot be used: its path is too long or cannot be read
  kNoCatalog,    // no catalog beside the program
  kNoInf,        // a catalog, but no INF beside it
  kUnreadable,   // the catalog or the INF is there but cannot be read: `code` says why
  kNoWintrust,   // this Windows lacks a catalog function of wintrust.dll: `code` says why
  kNotACatalog,  // the catalog cannot be read as one: `code` says why
  kInfChanged,   // no member has the INF's hash: the INF was changed after the catalog was made
  kTrusted,      // Windows trusts the INF through the catalog
  kNotTrusted,   // Windows does not: `code` is its verdict
};

struct CatalogVerdict {
  CatalogCheck check = CatalogCheck::kNoFolder;
  DWORD code = 0;
  // The two files' full paths; empty for kNoFolder.
  char catalog[kTextCapacity] = {};
  char inf[kTextCapacity] = {};
  bool infUnreadable = false;  // for kUnreadable: the INF, not the catalog

  const char* Unreadable() const { return infUnreadable ? inf : catalog; }
};

// Looks at the catalog and the INF in the program's own folder, where the install takes them from.
// The catalog must hold a member whose tag and digest are the INF's hash as Windows works it out;
// WinVerifyTrust then says, without a window and without asking for revocation lists, whether
// this PC trusts it, as Windows checks a driver package's signature before it stages it.
void CheckCatalog(CatalogVerdict& verdict);

// Why WinVerifyTrust gave `verdict` rather than trust, in a few words: "its signer is not trusted
// on this PC", "it has no signature", ...
const char* DistrustCause(DWORD verdict);

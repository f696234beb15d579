#!/usr/bin/env bash
# Sets what wixl 0.101 leaves out of the package's tables:
#   fix_tables.sh MSIBUILD PACKAGE VERSION
# - a rollback action's type: wixl drops msidbCustomActionTypeRollback, so the action would run
#   as a deferred one; 3329 is DLL (1) | Rollback (0x100) | InScript (0x400) | NoImpersonate
#   (0x800). KitCheckInput runs at once, in the client's context: type 1.
# - the inclusive maximum of the older versions an upgrade replaces (0x200 beside wixl's 0x100),
#   so that a package of the same version replaces an installed one rather than standing beside
#   it. Attributes is a key column, so the row is made again.
# - the properties the administrator's command line may hand to the elevated part of an install,
#   and those AppSearch sets, which the client's search would otherwise not hand on either.
set -euo pipefail

[[ $# -eq 3 ]] || { sed -n '2,3p' "$0" >&2; exit 2; }
msibuild=$1 package=$2 version=$3
upgrade_code='{117FF74A-5688-4A09-AB2E-1830C64A4323}'
rollback_steps=(KitTrustRollback KitInstallModemRollback)

for step in "${rollback_steps[@]}"; do
  "$msibuild" "$package" -q "UPDATE CustomAction SET Type=3329 WHERE Action='$step'"
done
"$msibuild" "$package" -q "UPDATE CustomAction SET Type=1 WHERE Action='KitCheckInput'"
"$msibuild" "$package" -q "DELETE FROM Upgrade WHERE ActionProperty='KITOLDERFOUND'"
"$msibuild" "$package" -q "INSERT INTO Upgrade (UpgradeCode, VersionMin, VersionMax, Attributes,
    ActionProperty) VALUES ('$upgrade_code', '0.0.0', '$version', 768, 'KITOLDERFOUND')"
"$msibuild" "$package" -q "UPDATE Property SET Value='KITOLDERFOUND;KITNEWERFOUND;KITSETUPFOUND;PORT;APN;NOENTRY'
    WHERE Property='SecureCustomProperties'"

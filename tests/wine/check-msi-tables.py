"""Checks the tables of the kit's Windows Installer package, as msiinfo reads them back:
  check-msi-tables.py MSIINFO PACKAGE VERSION
- every step that runs in the install script (deferred or rollback) stands between InstallInitialize
  and InstallFinalize, runs as the system account (no impersonation), and is fed its
  CustomActionData by a property action sequenced before it, under the same condition;
- the trust and the modem's install each have a rollback action, of the rollback type, sequenced
  before it; the removal
  of the modem comes before the files' removal, the install's steps after the files are in place;
- SecureCustomProperties holds every property the command line may give or AppSearch sets;
- the package refuses while the set-up program's kit is registered: AppSearch reads its uninstall
  entry in the registry view of the package's kind, and a launch condition ends the install on it
  (but not the removal of an installed kit); and the package writes its ProductCode where the set-up
  program looks for it;
- the Upgrade table replaces versions up to this one and only detects newer ones.
"""
import subprocess
import sys

DLL = 0x1
PROPERTY = 51
ROLLBACK = 0x100
IN_SCRIPT = 0x400
NO_IMPERSONATE = 0x800
VERSION_MIN_INCLUSIVE = 0x100
VERSION_MAX_INCLUSIVE = 0x200
ONLY_DETECT = 0x2
SECURE = {"PORT", "APN", "NOENTRY", "KITOLDERFOUND", "KITNEWERFOUND", "KITSETUPFOUND"}
HKLM = 2
LOCATOR_RAW = 2
LOCATOR_64BIT = 0x10
SETUP_ENTRY = r"Software\Microsoft\Windows\CurrentVersion\Uninstall\GprsModemKit"
# Each step that changes the machine, and the step that undoes it.
ROLLBACKS = {"KitTrust": "KitTrustRollback", "KitInstallModem": "KitInstallModemRollback"}


def table(msiinfo, package, name):
    """The table's rows as lists of columns, without the three header lines."""
    text = subprocess.run([msiinfo, "export", package, name], check=True, capture_output=True,
                          text=True).stdout
    return [line.rstrip("\r").split("\t") for line in text.split("\n")[3:] if line.strip()]


def main():
    msiinfo, package, version = sys.argv[1:4]
    failures = []
    sequence = {row[0]: (int(row[2]), row[1]) for row in
                table(msiinfo, package, "InstallExecuteSequence")}
    actions = {row[0]: (int(row[1]), row[2], row[3]) for row in
               table(msiinfo, package, "CustomAction")}
    properties = {row[0]: row[1] for row in table(msiinfo, package, "Property")}
    begin, end = sequence["InstallInitialize"][0], sequence["InstallFinalize"][0]

    in_script = [name for name, (kind, _, _) in actions.items() if kind & IN_SCRIPT]
    if not in_script:
        failures.append("no action runs in the install script")
    for name in in_script:
        kind, source, target = actions[name]
        if name not in sequence:
            failures.append(f"{name} is in no sequence")
            continue
        at, condition = sequence[name]
        if not begin < at < end:
            failures.append(f"{name} ({at}) is not between InstallInitialize and InstallFinalize")
        if not kind & NO_IMPERSONATE:
            failures.append(f"{name} (type {kind}) runs impersonated")
        if kind & 0x3F != DLL or target != "KitStep":
            failures.append(f"{name} (type {kind}, {source}.{target}) is not the kit's step")
        feeds = [other for other, (k, src, _) in actions.items()
                 if k & 0x3F == PROPERTY and src == name]
        if len(feeds) != 1:
            failures.append(f"{name} has {len(feeds)} actions that set its CustomActionData")
        elif sequence.get(feeds[0], (at, None))[0] >= at or sequence[feeds[0]][1] != condition:
            failures.append(f"{feeds[0]} does not come before {name} under its condition")

    for step, undo in ROLLBACKS.items():
        if undo not in actions or not actions[undo][0] & ROLLBACK:
            failures.append(f"{undo} is not a rollback action: type {actions.get(undo)}")
        elif step not in actions or actions[step][0] & ROLLBACK:
            failures.append(f"{step} is missing or a rollback action itself")
        elif not sequence[undo][0] < sequence[step][0]:
            failures.append(f"{undo} comes after {step}")
        elif sequence[undo][1] != sequence[step][1]:
            failures.append(f"{undo} is scheduled under another condition than {step}")
    if not sequence["KitRemoveModem"][0] < sequence["RemoveFiles"][0]:
        failures.append("the modem is removed after the files")
    for step in ("KitInstallModem", "KitWriteApn", "KitMakeEntry"):
        if not sequence["InstallFiles"][0] < sequence[step][0]:
            failures.append(f"{step} comes before the files are in place")

    secure = set(properties.get("SecureCustomProperties", "").split(";"))
    if not SECURE <= secure:
        failures.append(f"SecureCustomProperties lacks {sorted(SECURE - secure)}")

    # The package's kind, as its summary's template names the platform ("x64;1033").
    suminfo = subprocess.run([msiinfo, "suminfo", package], check=True, capture_output=True,
                             text=True).stdout
    x64 = any(line.startswith("Template:") and "x64" in line for line in suminfo.splitlines())
    searches = {row[0]: row[1] for row in table(msiinfo, package, "AppSearch")}
    locators = {row[0]: row[1:] for row in table(msiinfo, package, "RegLocator")}
    wanted = [str(HKLM), SETUP_ENTRY, "InstallLocation",
              str(LOCATOR_RAW | (LOCATOR_64BIT if x64 else 0))]
    if locators.get(searches.get("KITSETUPFOUND")) != wanted:
        failures.append(f"KITSETUPFOUND is not read from {wanted}: "
                        f"{locators.get(searches.get('KITSETUPFOUND'))}")
    conditions = [row[0] for row in table(msiinfo, package, "LaunchCondition")]
    if "Installed OR NOT KITSETUPFOUND" not in conditions:
        failures.append(f"no launch condition refuses beside the set-up program's kit: {conditions}")
    for name in ("AppSearch", "LaunchConditions"):
        if name not in sequence:
            failures.append(f"{name} is not in the install sequence")
    if sequence["AppSearch"][0] >= sequence["LaunchConditions"][0]:
        failures.append("the launch conditions come before the search they read")
    registry = [row[1:5] for row in table(msiinfo, package, "Registry")]
    if [str(HKLM), r"Software\GPRS Modem Kit", "ProductCode", "[ProductCode]"] not in registry:
        failures.append(f"the ProductCode is not written where the set-up program reads it: "
                        f"{registry}")

    upgrades = {row[-1]: row for row in table(msiinfo, package, "Upgrade")}
    older, newer = upgrades.get("KITOLDERFOUND"), upgrades.get("KITNEWERFOUND")
    if not older or older[2] != version or int(older[4]) & (
            VERSION_MAX_INCLUSIVE | ONLY_DETECT) != VERSION_MAX_INCLUSIVE:
        failures.append(f"the upgrade does not replace every version up to {version}: {older}")
    if not newer or newer[1] != version or int(newer[4]) & (
            VERSION_MIN_INCLUSIVE | ONLY_DETECT) != ONLY_DETECT:
        failures.append(f"a newer version than {version} is not only detected: {newer}")
    if properties.get("ProductVersion") != version:
        failures.append(f"ProductVersion is {properties.get('ProductVersion')}, not {version}")

    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print(f"{package}: {len(in_script)} steps in the install script, each as it must be")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

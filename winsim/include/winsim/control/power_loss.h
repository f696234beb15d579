// Power loss, after the test file systems of embedded databases: from WatchForPowerLoss on, the
// machine keeps what its disk holds for certain. A file's bytes are certain up to its last
// flush; what was written since may be lost in any part. A change of names (a file made, renamed
// or deleted) is certain only once its folder is flushed, which the simulated file services never
// do; the changes are kept in the order they were made, as a journal replays them, so a loss
// keeps some first of them and undoes the rest.
#pragma once

namespace winsim {

void WatchForPowerLoss();
// The power goes at the `step`th file service call after the watch began (1 for the first): that
// call and every later one does nothing and fails with ERROR_NOT_READY.
void CutPowerAt(int step);
// The file service calls made since the watch began.
int FileSteps();
// The changes of names made since the watch began.
int NameChanges();
// Which of the bytes written since a file's last flush reach the disk.
enum class WriteLoss {
  kAllLost,
  kAllKept,
  kEvenSectorsKept,  // the 512-byte sectors of even number only
  kOddSectorsKept,
  kZerosInstead  // the file grows as written, but with zeros in place of the bytes
};
// Powers the machine on again: every handle is gone, the first `nameChangesKept` changes of names
// stand and the rest are undone, and each file holds its certain bytes and what `loss` keeps of
// the rest. The watch ends.
void RestartAfterPowerLoss(WriteLoss loss, int nameChangesKept);

}  // namespace winsim

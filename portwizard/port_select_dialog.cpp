#include "port_select_dialog.h"

#include "port_choice.h"
#include "resource.h"

PortSelectDialog::PortSelectDialog() : Dialog(IDD_PORT_SELECT) {}

bool PortSelectDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  portListBox_ = Item(IDC_PORT_LIST);
  FillPortList();
  return true;
}

void PortSelectDialog::FillPortList() {
  char list[kTextCapacity];
  if (!ReadPortList(list)) return;
  // Inserting at a position is never sorted, so the list keeps the library's order although the
  // control carries the sorted style.
  PortListReader ports(list);
  char port[kTextCapacity];
  for (WPARAM position = 0; ports.Next(port); ++position)
    SendMessageA(portListBox_, LB_INSERTSTRING, position, reinterpret_cast<LPARAM>(port));
  SendMessageA(portListBox_, LB_SETCURSEL, 0, 0);
}

void PortSelectDialog::OnOK() {
  const LRESULT selected = SendMessageA(portListBox_, LB_GETCURSEL, 0, 0);
  // Without a selection the port stays empty; an entry too long for the field is never copied.
  if (selected != LB_ERR) {
    const LRESULT length = SendMessageA(portListBox_, LB_GETTEXTLEN, selected, 0);
    if (length != LB_ERR && length < kTextCapacity)
      SendMessageA(portListBox_, LB_GETTEXT, selected, reinterpret_cast<LPARAM>(g_szPort));
  }
  EndDialog(IDOK);
}

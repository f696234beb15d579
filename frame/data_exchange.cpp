#include "data_exchange.h"

namespace {

bool IsRadioButton(HWND control) {
  char className[16] = {};
  GetClassNameA(control, className, sizeof className);
  if (lstrcmpiA(className, "Button") != 0) return false;
  const LONG type = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

}  // namespace

void DataExchange::Text(int id, char (&field)[kTextCapacity]) {
  if (fromControls_) {
    field[0] = '\0';
    GetDlgItemTextA(dialog_, id, field, kTextCapacity);
  } else {
    SetDlgItemTextA(dialog_, id, field);
  }
}

void DataExchange::Radio(int firstId, int& index) {
  if (fromControls_) index = -1;
  int position = 0;
  // The group runs from its first button up to the next control that starts a group.
  for (HWND button = GetDlgItem(dialog_, firstId); button && IsRadioButton(button);
       button = GetWindow(button, GW_HWNDNEXT), ++position) {
    if (position > 0 && (GetWindowLongA(button, GWL_STYLE) & WS_GROUP)) break;
    if (fromControls_) {
      if (SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED) index = position;
    } else {
      SendMessageA(button, BM_SETCHECK, position == index ? BST_CHECKED : BST_UNCHECKED, 0);
    }
  }
}

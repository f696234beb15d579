// Moving values between a page's controls and its fields, in either direction.
#pragma once

#include "platform.h"

class DataExchange {
 public:
  DataExchange(HWND dialog, bool fromControls) : dialog_(dialog), fromControls_(fromControls) {}

  // An edit control's text and a 260-byte field; text longer than the field is cut.
  void Text(int id, char (&field)[kTextCapacity]);
  // The index of the checked button in the radio group that starts at control `firstId`, -1 when
  // none is checked.
  void Radio(int firstId, int& index);

 private:
  HWND dialog_;
  bool fromControls_;
};

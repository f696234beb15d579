#include "apn_page.h"

#include "apn_init.h"
#include "message_box.h"
#include "program_strings.h"
#include "resource.h"

ApnPage::ApnPage()
    : Dialog(IDD_APN_PAGE),
      appIcon_(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_INITWRITER))) {}

void ApnPage::DoDataExchange(DataExchange& exchange) {
  exchange.Text(IDC_APN, apn_);
}

bool ApnPage::OnInitDialog() {
  Dialog::OnInitDialog();
  SendMessageA(Window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon_));
  SendMessageA(Window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIcon_));
  return true;
}

void ApnPage::OnOK() {
  UpdateData(true);
  if (!WriteApnInitString(apn_)) {
    char text[kTextCapacity];
    LoadProgramString(IDS_APN_FAILED, text);
    ShowMessage(Window(), text, MB_OK, "");
  }
  Dialog::OnOK();
}

bool ApnPage::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) {
  // Minimised, the page shows its icon, and offers it when dragged.
  if (message == WM_QUERYDRAGICON) {
    result = reinterpret_cast<INT_PTR>(appIcon_);
    return true;
  }
  if (message == WM_PAINT && IsIconic(Window())) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(Window(), &paint);
    SendMessageA(Window(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(Window(), &client);
    const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, appIcon_);
    EndPaint(Window(), &paint);
    (void)wParam;
    result = TRUE;
    return true;
  }
  return false;
}
